#!/bin/bash
# The generated site, end to end, on a real stack:
#   e2e.sh SOURCE_DIR HOME_DIR
# Starts a private MariaDB on a Unix socket (no network), imports a model into
# a copy of the home folder, generates the site with quorrel-cli, loads its
# script, serves it with PHP's built-in server and drives Debian's Chromium
# through it (tests/e2e/run.js). Everything it starts is stopped on exit,
# whatever the outcome. Set E2E_KEEP=1 to keep the temporary folder.
# Ends with the line "N passed, N failed".
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin

src=$(cd "$1" && pwd) || exit 2
home_in=$(cd "$2" && pwd) || exit 2
e2e=$src/tests/e2e

. "$src/tests/scripts/support/common.sh"
require_tools php mariadbd mariadb-install-db mariadb node
# The browser is Debian's, driven where the package puts it.
[ -x /usr/bin/chromium ] || skip "/usr/bin/chromium is not installed"


tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorrel-e2e.XXXXXX")
PHP_PID="" MARIADB_PID="" watch_pid=""

cleanup() {
  stop_group "$PHP_PID"
  stop_pid "$MARIADB_PID"
  [ -n "$watch_pid" ] && kill "$watch_pid" 2>/dev/null
  wait 2>/dev/null
  if [ "${E2E_KEEP:-0}" = 1 ]; then echo "kept $tmp"; else rm -rf "$tmp"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Should this shell be killed outright, the watchdog still stops the servers.
( while kill -0 $$ 2>/dev/null; do sleep 2; done
  [ -f "$tmp/php.pid" ] && kill -- "-$(cat "$tmp/php.pid")" 2>/dev/null
  [ -f "$tmp/mysqld.pid" ] && kill "$(cat "$tmp/mysqld.pid")" 2>/dev/null
  sleep 5; rm -rf "$tmp" ) >/dev/null 2>&1 &
watch_pid=$!


# --- the browser driver ----------------------------------------------------
if [ ! -d "$e2e/node_modules/playwright-core" ]; then
  (cd "$e2e" && npm ci --no-audit --no-fund --loglevel=error) >"$tmp/npm.log" 2>&1 \
    || { cat "$tmp/npm.log"; abort "playwright-core could not be installed (run scripts/setup.sh)"; }
fi

# --- MariaDB ---------------------------------------------------------------
start_mariadb "$tmp" || abort "mariadbd did not start"
sock=$MARIADB_SOCKET
mysql=(mariadb --no-defaults --socket="$sock" -uroot)
pass "MariaDB runs on $sock"

db_name=shop db_user=shop db_password="e2e-$RANDOM$RANDOM"
"${mysql[@]}" -e "CREATE DATABASE $db_name CHARACTER SET utf8mb4;
  CREATE USER '$db_user'@'localhost' IDENTIFIED BY '$db_password';
  GRANT ALL ON $db_name.* TO '$db_user'@'localhost';" || abort "database and user could not be created"

# --- the model and the generated site ----------------------------------------
home=$tmp/home
cp -a "$home_in" "$home" || abort "copy of the home folder $home_in"
rm -rf "$home/projects" "$home/projects.mdb"
cli=$home/quorrel-cli
[ -x "$cli" ] || abort "no quorrel-cli in $home_in"
"$cli" --home "$home" init >/dev/null || abort "quorrel-cli init"

if "$cli" --home "$home" import "$e2e/model.json" >"$tmp/import.log" 2>&1; then
  pass "quorrel-cli import of the model"
else
  cat "$tmp/import.log"; abort "quorrel-cli import of the model"
fi
if "$cli" --home "$home" projects | grep -q $'\tshop$'; then pass "the model lists project shop"
else abort "the model lists project shop"; fi

site=$home/projects/shop
if (cd "$home" && "$cli" --home "$home" generate shop) >"$tmp/generate.log" 2>&1 && [ -d "$site/admin" ]; then
  pass "quorrel-cli generate shop"
else
  cat "$tmp/generate.log"; abort "quorrel-cli generate shop"
fi
if "$cli" --home "$home" sql shop --prefix php_ >"$tmp/script.sql" 2>"$tmp/sql.err" && [ -s "$tmp/script.sql" ]; then
  pass "quorrel-cli sql shop --prefix php_"
else
  cat "$tmp/sql.err"; abort "quorrel-cli sql shop --prefix php_"
fi
if "${mysql[@]}" "$db_name" <"$tmp/script.sql" 2>"$tmp/load.err"; then
  pass "the generated script loads into MariaDB"
else
  cat "$tmp/load.err"; abort "the generated script loads into MariaDB"
fi

# --- the site's settings -------------------------------------------------------
E2E_DB_SOCKET=$sock E2E_DB_USER=$db_user E2E_DB_PASSWORD=$db_password E2E_DB_NAME=$db_name \
  php "$e2e/lib/configure-site.php" "$site/config.inc.php" >"$tmp/config.log" 2>&1 \
  || { cat "$tmp/config.log"; abort "config.inc.php written"; }
pass "config.inc.php written"

# --- serve it --------------------------------------------------------------------
# Several workers: one connection the browser opens ahead and leaves idle
# would otherwise hold up every other request. The watchdog reads the pid
# file.
PHP_WORKERS=4 PHP_PID_FILE=$tmp/php.pid start_php_server "$site" "$tmp/php.log" || abort "php -S did not start"
pass "php -S serves the site on port $PHP_PORT"

# --- the browser part ------------------------------------------------------------
# The README's picture is refreshed only on request; a test run leaves the
# source tree alone.
screenshot=$tmp/list-page.png
if [ "${QUORREL_UPDATE_SCREENSHOTS:-}" = 1 ]; then
  mkdir -p "$src/docs"
  screenshot=$src/docs/list-page.png
fi
E2E_BASE_URL="http://127.0.0.1:$PHP_PORT" E2E_SITE_DIR=$site E2E_TMP=$tmp \
E2E_DB_SOCKET=$sock E2E_DB_NAME=$db_name E2E_DB_PASSWORD=$db_password E2E_SCREENSHOT=$screenshot \
E2E_COUNTS=$tmp/counts TMPDIR=$tmp \
  timeout 1100 node "$e2e/run.js"
rc=$?
if [ -f "$tmp/counts" ]; then
  read -r np nf <"$tmp/counts"
  passed=$((passed + np)) failed=$((failed + nf))
fi
[ "$rc" -eq 0 ] || [ "$failed" -gt 0 ] || fail "run.js ended with status $rc"
# The site logs every warning, notice and deprecation; the whole flow leaves none.
warnings=$(grep -E 'site: (PHP |uncaught|fatal)|PHP (Warning|Notice|Deprecated|Fatal)' "$tmp/php.log" | head -n 20)
if [ -z "$warnings" ]; then pass "the PHP log holds no warning, notice, deprecation or uncaught error"
else fail "the PHP log holds warnings:"$'\n'"$warnings"; fi
if [ "$failed" -gt 0 ]; then
  echo "--- PHP server log (last 40 lines) ---"; tail -n 40 "$tmp/php.log"
  echo "--- MariaDB log (last 10 lines) ---"; tail -n 10 "$tmp/mysqld.err"
fi
summary
[ "$failed" -eq 0 ]
