#!/bin/bash
# Sets up, builds and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
cd build
# Everything was installed above: a test that finds a tool missing fails.
export QUORREL_NO_SKIP=1
ctest --output-on-failure -j"$(nproc)" --timeout 600
