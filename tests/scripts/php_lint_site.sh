#!/bin/bash
# Checks the PHP syntax of every PHP file of the laid-out site skeleton:
#   php_lint_site.sh SOURCE_DIR HOME_DIR
# Smarty (bak/smarty) is third-party code and is left out.
set -uo pipefail
home=${2:?usage: php_lint_site.sh SOURCE_DIR HOME_DIR}
bak="$home/bak"

. "$(dirname "$0")/support/common.sh"
require_tools php
if [ ! -d "$bak" ]; then
  echo "no laid-out site skeleton at $bak (build the 'home' target first)" >&2
  exit 1
fi

checked=0
failed=0
while IFS= read -r -d '' file; do
  checked=$((checked + 1))
  if ! output=$(php -d display_errors=stderr -d error_reporting=-1 -l "$file" 2>&1); then
    echo "$output" >&2
    failed=$((failed + 1))
  elif grep -qE '^(PHP )?(Warning|Deprecated|Notice|Fatal error|Parse error)' <<<"$output"; then
    echo "$output" >&2
    failed=$((failed + 1))
  fi
done < <(find "$bak" -path "$bak/smarty" -prune -o -type f \( -name '*.php' -o -name '*.inc' \) -print0)

if [ "$checked" -eq 0 ]; then
  echo "no PHP files found under $bak" >&2
  exit 1
fi
echo "php -l: $checked files checked, $failed with errors"
[ "$failed" -eq 0 ]
