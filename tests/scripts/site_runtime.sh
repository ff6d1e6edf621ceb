#!/bin/bash
# Tests of the site runtime below the browser (tests/site/runtime_test.php):
#   site_runtime.sh SOURCE_DIR HOME_DIR
# Works on a scratch copy of the laid-out bak/. When MariaDB is installed it
# starts a private server on a Unix socket in the scratch folder (no
# network) for the database tests, and stops it at the end.
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin
src=$(cd "${1:?usage: site_runtime.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
home=$(cd "${2:?usage: site_runtime.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2

command -v php >/dev/null 2>&1 || { echo "php is not installed" >&2; exit 1; }
[ -f "$home/bak/smarty/Smarty.class.php" ] || { echo "no laid-out bak/ with Smarty in $home (build the 'home' target)" >&2; exit 1; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/site-runtime.XXXXXX")
db_pid=""
cleanup() {
  if [ -n "$db_pid" ]; then
    kill "$db_pid" 2>/dev/null
    for _ in $(seq 150); do kill -0 "$db_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$db_pid" 2>/dev/null
    wait "$db_pid" 2>/dev/null
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

cp -a "$home/bak" "$tmp/site"
mkdir -p "$tmp/site/admin/templates/admin"

db_args=()
if command -v mariadbd >/dev/null 2>&1 && command -v mariadb-install-db >/dev/null 2>&1; then
  sock=$tmp/mysql.sock
  user_opt=()
  [ "$(id -u)" -eq 0 ] && user_opt=(--user=root)
  if mariadb-install-db --no-defaults --datadir="$tmp/data" --auth-root-authentication-method=normal \
       --skip-test-db "${user_opt[@]}" >"$tmp/install-db.log" 2>&1; then
    mariadbd --no-defaults --datadir="$tmp/data" --socket="$sock" --skip-networking \
      --pid-file="$tmp/mysqld.pid" --log-error="$tmp/mysqld.err" --skip-log-bin \
      --innodb-buffer-pool-size=16M --innodb-log-file-size=8M "${user_opt[@]}" 2>"$tmp/mysqld.out" &
    db_pid=$!
    for _ in $(seq 300); do
      [ -S "$sock" ] && mariadb --no-defaults --socket="$sock" -uroot -e 'SELECT 1' >/dev/null 2>&1 && break
      kill -0 "$db_pid" 2>/dev/null || break
      sleep 0.1
    done
    if mariadb --no-defaults --socket="$sock" -uroot -e 'CREATE DATABASE site_test CHARACTER SET utf8mb4' 2>"$tmp/db.err"; then
      db_args=("$sock" site_test)
    else
      cat "$tmp/db.err" "$tmp/mysqld.err" >&2
      echo "MariaDB did not start" >&2
      exit 1
    fi
  else
    cat "$tmp/install-db.log" >&2
    echo "mariadb-install-db failed" >&2
    exit 1
  fi
fi

php -d output_buffering=4096 "$src/tests/site/runtime_test.php" "$tmp/site" "${db_args[@]}"
