#!/bin/bash
# Lays out the program's resources beside the executables of the build tree:
#   layout-home.sh SOURCE_DIR RESOURCE_DIR SMARTY_DIR JQUERY_FILE
# Copies the site skeleton (bak/), the templates and the help page, and brings
# Smarty and jQuery from their Debian packages into bak/: every generated site
# gets its own copy. The user's model and sites are not kept here (they live
# in the data folder), so deleting the build tree deletes no work.
set -euo pipefail
src=$1 resources=$2 smarty=$3 jquery=$4
if [ ! -f "$smarty/Smarty.class.php" ]; then
  echo "layout-home.sh: Smarty 4 is missing ($smarty/Smarty.class.php); every generated site needs it." >&2
  echo "Install the Debian package smarty4 (scripts/setup.sh does), or give its folder with -DQUORREL_SMARTY_DIR=DIR." >&2
  exit 1
fi
if [ ! -f "$jquery" ]; then
  echo "layout-home.sh: jQuery is missing ($jquery); every generated site needs it." >&2
  echo "Install the Debian package libjs-jquery (scripts/setup.sh does), or give the file with -DQUORREL_JQUERY_FILE=FILE." >&2
  exit 1
fi
mkdir -p "$resources"
for dir in bak template help; do
  rm -rf "${resources:?}/$dir"
  cp -a "$src/site/$dir" "$resources/$dir"
done
cp -a "$smarty/." "$resources/bak/smarty/"
mkdir -p "$resources/bak/include/js"
cp -L "$jquery" "$resources/bak/include/js/jquery.js"
