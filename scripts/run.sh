#!/bin/bash
# Sets up, builds and starts the program from the build tree. The model and
# the generated sites live in the data folder ($XDG_DATA_HOME/quorrel, by
# default ~/.local/share/quorrel), created with an empty model on the first
# start: deleting build/ deletes neither.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
if [ -x build/bin/quorrel ]; then
  exec build/bin/quorrel "$@"
fi
build/bin/quorrel-cli paths
echo "Projects:"
exec build/bin/quorrel-cli projects
