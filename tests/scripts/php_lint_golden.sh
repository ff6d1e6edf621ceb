#!/usr/bin/env bash
# Runs "php -l" on every golden administration controller and model
# description.
# Usage: php_lint_golden.sh SOURCE_DIR HOME_DIR
# The controllers of digit-first class names (controllers/digit-first/) are
# left out: their variables such as "$3DModelList" are not valid PHP.
set -u

source_dir=${1:?usage: php_lint_golden.sh SOURCE_DIR HOME_DIR}

. "$source_dir/tests/scripts/support/common.sh"
require_tools php

shopt -s nullglob
files=("$source_dir"/tests/golden/controllers/*.php)
if [ ${#files[@]} -eq 0 ]; then
    echo "no golden controllers found in $source_dir/tests/golden/controllers" >&2
    exit 1
fi
files+=("$source_dir"/tests/golden/site_model/*.php)

failed=0
for file in "${files[@]}"; do
    if ! output=$(php -l "$file" 2>&1); then
        echo "$output" >&2
        failed=$((failed + 1))
    fi
done

if [ $failed -ne 0 ]; then
    echo "$failed of ${#files[@]} golden controllers and descriptions fail the PHP syntax check" >&2
    exit 1
fi
echo "all ${#files[@]} golden controllers and descriptions pass the PHP syntax check"
