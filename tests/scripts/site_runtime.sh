#!/bin/bash
# Tests of the site runtime below the browser (tests/site/runtime_test.php):
#   site_runtime.sh SOURCE_DIR HOME_DIR
# Works on a scratch copy of the laid-out bak/. Starts a private MariaDB on a
# Unix socket in the scratch folder (no network) for the database tests, and
# stops it at the end.
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin
src=$(cd "${1:?usage: site_runtime.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
home=$(cd "${2:?usage: site_runtime.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2

. "$src/tests/scripts/support/common.sh"
require_tools php mariadbd mariadb-install-db mariadb
[ -f "$home/bak/smarty/Smarty.class.php" ] || { echo "no laid-out bak/ with Smarty in $home (build the 'home' target)" >&2; exit 1; }

make_scratch site-runtime

cp -a "$home/bak" "$tmp/site"
mkdir -p "$tmp/site/admin/templates/admin"

start_mariadb "$tmp" || { echo "MariaDB did not start" >&2; exit 1; }
mariadb --no-defaults --socket="$MARIADB_SOCKET" -uroot -e 'CREATE DATABASE site_test CHARACTER SET utf8mb4' \
  || { echo "the test database could not be created" >&2; exit 1; }
db_args=("$MARIADB_SOCKET" site_test)

php -d output_buffering=4096 "$src/tests/site/runtime_test.php" "$tmp/site" "${db_args[@]}"
