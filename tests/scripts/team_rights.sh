#!/bin/bash
# A generated site run by a team, driven over HTTP (support/team_rights.php):
# the owner, an editor who may list and add news but not delete, and a clerk
# who may only list orders; every refused act (GET and POST, direct
# addresses, the accounts page) answers 403 and changes nothing, the menu
# and the list pages offer only what the account may do, a disabled account
# is signed out at its next request, the last owner cannot be deleted, the
# accounts page keeps the same-site and sign-in rules, and a database made
# before accounts had owners gets its owner.
#   team_rights.sh SOURCE_DIR HOME_DIR
# Starts a private MariaDB on a Unix socket and PHP's built-in server on a
# free loopback port, in a scratch folder; both are stopped on exit.
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin
src=$(cd "${1:?usage: team_rights.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
home_in=$(cd "${2:?usage: team_rights.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2

. "$src/tests/scripts/support/common.sh"
require_tools php mariadbd mariadb-install-db mariadb
cli=$home_in/quorrel-cli
[ -x "$cli" ] || abort "no quorrel-cli in $home_in"
[ -f "$home_in/help/site-database.sql" ] || abort "no help/ in $home_in (build the 'home' target)"

make_scratch hostile-records
PHP_PID=""
trap 'stop_group "$PHP_PID"; stop_pid "$MARIADB_PID"; wait 2>/dev/null; rm -rf "$tmp"' EXIT

# --- the site, generated from its model --------------------------------------
home=$tmp/home
mkdir -p "$home"
ln -s "$home_in/bak" "$home/bak"
ln -s "$home_in/template" "$home/template"
"$cli" --home "$home" init >/dev/null || abort "quorrel-cli init"
"$cli" --home "$home" import "$src/tests/scripts/support/team_rights.json" >"$tmp/import.log" 2>&1 \
  || { cat "$tmp/import.log"; abort "quorrel-cli import"; }
"$cli" --home "$home" generate team >"$tmp/generate.log" 2>&1 || { cat "$tmp/generate.log"; abort "quorrel-cli generate"; }
"$cli" --home "$home" sql team --prefix php_ >"$tmp/script.sql" 2>"$tmp/sql.err" || { cat "$tmp/sql.err"; abort "quorrel-cli sql"; }
site=$home/projects/team

# --- the database and the help's account -------------------------------------
start_mariadb "$tmp" || abort "MariaDB did not start"
db_password="team-$RANDOM$RANDOM"
sed "s/change-this-long-password/$db_password/" "$home_in/help/site-database.sql" \
  | mariadb --no-defaults --socket="$MARIADB_SOCKET" -uroot || abort "help/site-database.sql runs"
mariadb --no-defaults --socket="$MARIADB_SOCKET" -usite "-p$db_password" site <"$tmp/script.sql" \
  || abort "the generated script loads as the site's account"

# --- PHP's built-in server -----------------------------------------------------
PHP_WORKERS=2 start_php_server "$site" "$tmp/php.log" -d opcache.enable=0 || abort "php -S did not start"

php -d error_reporting=-1 "$src/tests/scripts/support/team_rights.php" "http://127.0.0.1:$PHP_PORT/" "$site" \
  "$MARIADB_SOCKET" site "$db_password" "$tmp/php.log"
rc=$?
[ "$rc" -eq 0 ] || { echo "--- PHP server log (last 30 lines) ---"; tail -n 30 "$tmp/php.log"; }
exit "$rc"
