#!/bin/bash
# A generated site whose stored records hold hostile values, driven over
# HTTP (support/hostile_records.php): keys of a text-keyed class that is
# referenced by another (quotes, a UNION that reads the administrators'
# table, "&url=", "/", "#", "%41") on every list, edit and add page, in the
# edit and delete links and in delete-many; picture fields with a NUL byte,
# emptied or naming no picture; stored picture values that are objects or
# no picture; the shipped settings without an account, and the welcome
# page's warning about an account that can do more than the site needs;
# input refused from the model on a server whose messages are German; and a
# controller edited by hand.
#   hostile_records.sh SOURCE_DIR HOME_DIR
# Starts a private MariaDB on a Unix socket and PHP's built-in server on a
# free loopback port, in a scratch folder; both are stopped on exit.
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin
src=$(cd "${1:?usage: hostile_records.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
home_in=$(cd "${2:?usage: hostile_records.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2

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
"$cli" --home "$home" import "$src/tests/scripts/support/hostile_records.json" >"$tmp/import.log" 2>&1 \
  || { cat "$tmp/import.log"; abort "quorrel-cli import"; }
"$cli" --home "$home" generate keys >"$tmp/generate.log" 2>&1 || { cat "$tmp/generate.log"; abort "quorrel-cli generate"; }
"$cli" --home "$home" sql keys --prefix php_ >"$tmp/script.sql" 2>"$tmp/sql.err" || { cat "$tmp/sql.err"; abort "quorrel-cli sql"; }
site=$home/projects/keys

# --- the database and the help's account -------------------------------------
# The server speaks German: what the site refuses must not depend on it.
MARIADB_LC_MESSAGES=de_DE start_mariadb "$tmp" || abort "MariaDB did not start"
db_password="records-$RANDOM$RANDOM"
sed "s/change-this-long-password/$db_password/" "$home_in/help/site-database.sql" \
  | mariadb --no-defaults --socket="$MARIADB_SOCKET" -uroot || abort "help/site-database.sql runs"
mariadb --no-defaults --socket="$MARIADB_SOCKET" -usite "-p$db_password" site <"$tmp/script.sql" \
  || abort "the generated script loads as the site's account"

# --- PHP's built-in server -----------------------------------------------------
# Without the opcode cache, a controller edited by the test is read at once.
PHP_WORKERS=2 start_php_server "$site" "$tmp/php.log" -d opcache.enable=0 || abort "php -S did not start"

php -d error_reporting=-1 "$src/tests/scripts/support/hostile_records.php" "http://127.0.0.1:$PHP_PORT/" "$site" \
  "$MARIADB_SOCKET" site "$db_password" "$tmp/php.log"
rc=$?
[ "$rc" -eq 0 ] || { echo "--- PHP server log (last 30 lines) ---"; tail -n 30 "$tmp/php.log"; }
exit "$rc"
