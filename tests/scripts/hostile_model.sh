#!/bin/bash
# A model whose every free text is hostile (quotes, backslashes, $, */, ?>,
# <script>, <{, line breaks, emoji, right-to-left text), imported with
# quorrel-cli and generated beside its plain twin (support/hostile_model.php):
# every PHP file of the site passes "php -l"; every controller has the same
# PHP tokens as the plain model's; every page compiles and renders in Smarty 4
# to the same code and elements as the plain model's, showing each text as it
# is, in Chromium too; the database script loads and stores each comment as
# it is.
#   hostile_model.sh SOURCE_DIR HOME_DIR
# Starts a private MariaDB on a Unix socket in a scratch folder and stops it.
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin
src=$(cd "${1:?usage: hostile_model.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
home_in=$(cd "${2:?usage: hostile_model.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
smarty_dir=${QUORREL_SMARTY_DIR:-/usr/share/php/smarty4}

. "$src/tests/scripts/support/common.sh"
require_tools php mariadbd mariadb-install-db mariadb node chromium
[ -d "$src/tests/e2e/node_modules/playwright-core" ] || skip "playwright-core is not installed (npm ci in tests/e2e)"
[ -f "$smarty_dir/bootstrap.php" ] || skip "Smarty 4 is not installed in $smarty_dir"
cli=$home_in/quorrel-cli
[ -x "$cli" ] || abort "no quorrel-cli in $home_in"
[ -d "$home_in/bak" ] && [ -d "$home_in/template" ] || abort "no laid-out bak/ and template/ in $home_in"

make_scratch hostile-model

# --- the two models, imported and generated ----------------------------------
home=$tmp/home
mkdir -p "$home" "$tmp/models" "$tmp/compiled"
cp -a "$home_in/bak" "$home_in/template" "$home/" || abort "copy of the resources"
php "$src/tests/scripts/support/hostile_model.php" "$tmp/models" || abort "the models are written"
"$cli" --home "$home" init >/dev/null || abort "quorrel-cli init"
for model in hostile plain; do
  "$cli" --home "$home" import "$tmp/models/$model.json" >"$tmp/import.log" 2>&1 \
    || { cat "$tmp/import.log"; abort "quorrel-cli import of the $model model"; }
  "$cli" --home "$home" generate "$model" >"$tmp/generate.log" 2>&1 \
    || { cat "$tmp/generate.log"; abort "quorrel-cli generate $model"; }
done
pass "both models are imported and generated"
site=$home/projects/hostile

# --- every PHP file of the site ----------------------------------------------
checked=0 lint_failed=0
while IFS= read -r -d '' file; do
  checked=$((checked + 1))
  if ! output=$(php -l "$file" 2>&1); then
    echo "$output"
    lint_failed=$((lint_failed + 1))
  fi
done < <(find "$site" -path "$site/smarty" -prune -o -type f -name '*.php' -print0)
check "php -l passes for all $checked PHP files of the hostile site" test "$checked" -gt 0 -a "$lint_failed" -eq 0

# --- the database script -----------------------------------------------------
"$cli" --home "$home" sql hostile >"$tmp/script.sql" 2>"$tmp/sql.err" \
  || { cat "$tmp/sql.err"; abort "quorrel-cli sql hostile"; }
start_mariadb "$tmp" || abort "MariaDB did not start"
mariadb --no-defaults --socket="$MARIADB_SOCKET" -uroot -e 'CREATE DATABASE hostile CHARACTER SET utf8mb4' \
  || abort "the database is created"
if mariadb --no-defaults --socket="$MARIADB_SOCKET" -uroot hostile <"$tmp/script.sql" 2>"$tmp/load.err"; then
  pass "the hostile model's database script loads"
else
  cat "$tmp/load.err"; fail "the hostile model's database script loads"
fi

# --- controllers, pages, menu and comments against the plain model ------------
if php -d error_reporting=-1 "$src/tests/scripts/support/hostile_check.php" "$smarty_dir" "$tmp/compiled" \
    "$tmp/models" "$site" "$home/projects/plain" "$MARIADB_SOCKET" hostile; then
  pass "the generated site shows every hostile text as it is and runs no text as code"
else
  fail "the generated site shows every hostile text as it is and runs no text as code"
fi

# --- the same pages in a browser --------------------------------------------
if NODE_PATH="$src/tests/e2e/node_modules" node "$src/tests/scripts/support/hostile_browser.js" \
    "$tmp/compiled/browser.json"; then
  pass "Chromium shows every hostile text as it is and runs none of it"
else
  fail "Chromium shows every hostile text as it is and runs none of it"
fi

summary
[ "$failed" -eq 0 ]
