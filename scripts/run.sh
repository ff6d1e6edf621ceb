#!/bin/bash
# Sets up, builds and starts the program on the model in build/bin (empty at first).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
if [ -x build/bin/quorrel ]; then
  exec build/bin/quorrel "$@"
fi
echo "Projects in build/bin/projects.mdb:"
exec build/bin/quorrel-cli projects
