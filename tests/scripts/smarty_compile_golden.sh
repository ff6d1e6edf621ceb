#!/usr/bin/env bash
# Compiles every golden administration template with a real Smarty 4 (the
# delimiters the generated site uses), so a page that Smarty rejects fails.
# Usage: smarty_compile_golden.sh SOURCE_DIR HOME_DIR
set -euo pipefail

source_dir=${1:?usage: smarty_compile_golden.sh SOURCE_DIR HOME_DIR}
smarty_dir=${QUORREL_SMARTY_DIR:-/usr/share/php/smarty4}

. "$source_dir/tests/scripts/support/common.sh"
require_tools php
[[ -f "$smarty_dir/bootstrap.php" ]] || skip "Smarty 4 is not installed in $smarty_dir"

golden_dir="$source_dir/tests/golden/templates"
mapfile -d '' templates < <(find "$golden_dir" -type f \( -name '*.html' -o -name '*.tpl' \) -print0 | sort -z)
if [[ ${#templates[@]} -eq 0 ]]; then
    echo "no golden templates found in $golden_dir" >&2
    exit 1
fi

compile_dir=$(mktemp -d)
trap 'rm -rf "$compile_dir"' EXIT

php "$source_dir/tests/scripts/support/smarty_compile.php" "$smarty_dir" "$compile_dir" "${templates[@]}"
echo "${#templates[@]} golden templates compile with Smarty"
