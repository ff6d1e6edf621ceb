# Shared by the script tests: skipping when a tool is missing, and private
# servers started in a temporary folder and stopped by pid.
# shellcheck shell=bash

# CTest reads this exit status as "skipped" (SKIP_RETURN_CODE).
readonly SKIP_STATUS=77

# A missing tool skips the test, unless the run asked for every test to run
# (scripts/test.sh does, having installed everything): then it fails.
skip() {
  if [ "${QUORREL_NO_SKIP:-0}" = 1 ]; then
    echo "FAIL - $* (scripts/setup.sh installs it)" >&2
    exit 1
  fi
  echo "SKIPPED: $*"
  exit "$SKIP_STATUS"
}

require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
  done
}

# Counted checks: one "ok" or "FAIL" line each, and a summary line.
passed=0 failed=0
pass() { passed=$((passed + 1)); echo "ok   - $*"; }
fail() { failed=$((failed + 1)); echo "FAIL - $*"; }
check() { local label=$1; shift; if "$@"; then pass "$label"; else fail "$label"; fi; }
summary() { echo "$passed passed, $failed failed"; }
# A set-up step failed: nothing after it can run.
abort() { fail "$*"; summary; exit 1; }

# A loopback port free at the moment of asking (a server started on it must
# still cope with losing it to another program).
free_port() {
  php -r '$s = stream_socket_server("tcp://127.0.0.1:0"); $n = stream_socket_get_name($s, false);
          echo substr($n, strrpos($n, ":") + 1);'
}

# TERM, then KILL if the process is still there after 15 s.
stop_pid() {
  local pid=$1 i
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  for i in $(seq 150); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null
  return 0
}

# Stops a process that leads its own process group (started with setsid)
# together with every process it started: TERM, then KILL after 15 s.
stop_group() {
  local pid=$1 i
  [ -n "$pid" ] || return 0
  kill -TERM -- "-$pid" 2>/dev/null || return 0
  for i in $(seq 150); do kill -0 -- "-$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL -- "-$pid" 2>/dev/null
  return 0
}

# start_mariadb DIR: a private MariaDB with its data, socket and logs in DIR,
# no network. Sets MARIADB_PID and MARIADB_SOCKET. MARIADB_BUFFER_POOL and
# MARIADB_LOG_FILE_SIZE size its caches (32M and 16M unless set). Waits until the server
# answers or its process ends; returns 1 (with its log shown) if it never
# answers.
# MARIADB_LC_MESSAGES, when set, is the language of the server's messages.
start_mariadb() {
  local dir=$1 user_opt=() i
  [ "$(id -u)" -eq 0 ] && user_opt=(--user=root)
  MARIADB_SOCKET=$dir/mysql.sock
  MARIADB_PID=""
  # A temporary folder of its own: servers of other tests (or of another
  # suite) running at the same time never meet in the system's /tmp.
  mkdir -p "$dir/mariadb-tmp"
  mariadb-install-db --no-defaults --datadir="$dir/data" --tmpdir="$dir/mariadb-tmp" \
    --auth-root-authentication-method=normal --skip-test-db "${user_opt[@]}" >"$dir/install-db.log" 2>&1 \
    || { cat "$dir/install-db.log" >&2; return 1; }
  mariadbd --no-defaults --datadir="$dir/data" --tmpdir="$dir/mariadb-tmp" --socket="$MARIADB_SOCKET" --skip-networking \
    --pid-file="$dir/mysqld.pid" --log-error="$dir/mysqld.err" --skip-log-bin \
    --innodb-buffer-pool-size="${MARIADB_BUFFER_POOL:-32M}" --innodb-log-file-size="${MARIADB_LOG_FILE_SIZE:-16M}" "${user_opt[@]}" \
    ${MARIADB_LC_MESSAGES:+--lc-messages="$MARIADB_LC_MESSAGES"} 2>"$dir/mysqld.out" &
  MARIADB_PID=$!
  # Bounded only as a guard against a hung server: a loaded machine may take
  # long to start it, and the loop ends as soon as it answers or dies.
  for i in $(seq 1200); do
    [ -S "$MARIADB_SOCKET" ] && mariadb --no-defaults --socket="$MARIADB_SOCKET" -uroot -e 'SELECT 1' >/dev/null 2>&1 && return 0
    kill -0 "$MARIADB_PID" 2>/dev/null || break
    sleep 0.1
  done
  cat "$dir/mysqld.err" >&2
  return 1
}

# start_php_server SITE LOG [PHP_OPTION...]: PHP's built-in server for the
# folder SITE on a free loopback port, in its own process group (stop it
# with stop_group), its output in LOG. Sets PHP_PID and PHP_PORT.
# PHP_WORKERS, when set, is the number of its workers; PHP_PID_FILE, when
# set, gets its pid at once (for a watchdog). Waits until the port answers
# or the process ends: another program may take the free port before the
# server binds it, and the server is then started again on another port.
# Returns 1 (with its log shown) if it never answers.
start_php_server() {
  local site=$1 log=$2 attempt
  shift 2
  PHP_PID="" PHP_PORT=""
  for attempt in 1 2 3 4 5; do
    PHP_PORT=$(free_port)
    (cd "$site" || exit 1
     [ -n "${PHP_WORKERS:-}" ] && export PHP_CLI_SERVER_WORKERS=$PHP_WORKERS
     exec setsid php "$@" -S "127.0.0.1:$PHP_PORT" -t "$site") >"$log" 2>&1 &
    PHP_PID=$!
    [ -n "${PHP_PID_FILE:-}" ] && echo "$PHP_PID" >"$PHP_PID_FILE"
    until php -r 'exit(@fsockopen("127.0.0.1", (int)$argv[1]) ? 0 : 1);' "$PHP_PORT"; do
      kill -0 "$PHP_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$PHP_PID" 2>/dev/null && return 0
    wait "$PHP_PID" 2>/dev/null
    PHP_PID=""
  done
  cat "$log" >&2
  return 1
}

# A scratch folder in $tmp for a test whose only server is a private MariaDB
# (start_mariadb sets MARIADB_PID): on any exit the server is stopped and the
# folder removed.
make_scratch() {
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
  MARIADB_PID=""
  trap 'stop_pid "$MARIADB_PID"; wait 2>/dev/null; rm -rf "$tmp"' EXIT
  trap 'exit 130' INT TERM HUP
}

# new_home NAME: a home folder of its own in $tmp, with the resources of the
# build in $home and a fresh model (uses $cli); prints its path.
new_home() {
  local h=$tmp/$1
  mkdir -p "$h"
  ln -s "$home/bak" "$h/bak"
  ln -s "$home/template" "$h/template"
  "$cli" --home "$h" init >/dev/null || abort "init of $h"
  echo "$h"
}
