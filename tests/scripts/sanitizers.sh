#!/bin/bash
# The core and the command line built a second time with AddressSanitizer and
# UndefinedBehaviorSanitizer, and their tests run under them:
#   sanitizers.sh SOURCE_DIR HOME_DIR
# The build lives beside the main one (BUILD/sanitizers) and is kept between
# runs, so only changed files are compiled again. Any sanitizer report ends
# the test program with a failure.
set -uo pipefail
src=$(cd "${1:?usage: sanitizers.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
home=$(cd "${2:?usage: sanitizers.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
. "$src/tests/scripts/support/common.sh"
require_tools cmake

build=$(dirname "$home")/sanitizers
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUORREL_SANITIZE=ON -DQUORREL_BUILD_GUI=OFF \
  >"$(dirname "$home")/sanitizers-configure.log" 2>&1 \
  || { cat "$(dirname "$home")/sanitizers-configure.log"; echo "FAIL - configuring the sanitizer build"; exit 1; }
# One job: the rest of the suite runs beside this build.
cmake --build "$build" -j1 --target core_tests quorrel-cli home >"$build/build.log" 2>&1 \
  || { tail -n 40 "$build/build.log"; echo "FAIL - the sanitizer build"; exit 1; }

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:exitcode=23
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=23
"$build/bin/core_tests" --gtest_brief=1 || { echo "FAIL - the core tests under the sanitizers"; exit 1; }
echo "ok   - the core and command-line tests pass under AddressSanitizer and UndefinedBehaviorSanitizer"
