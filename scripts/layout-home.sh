#!/bin/bash
# Lays out a ready home folder beside the executables:
#   layout-home.sh SOURCE_DIR HOME_DIR QUORREL_CLI
# Copies the site resources (bak/), the templates and the help page, brings
# the third-party libraries from their Debian packages, and creates an empty
# model only when none exists: a rebuild never replaces a user's model.
set -euo pipefail
src=$1 home=$2 cli=$3
mkdir -p "$home"
for dir in bak template help; do
  if [ -d "$src/site/$dir" ]; then
    rm -rf "$home/$dir"
    cp -a "$src/site/$dir" "$home/$dir"
  fi
done
if [ -d "$home/bak" ]; then
  # Smarty 4 and jQuery come from their Debian packages.
  if [ -d /usr/share/php/smarty4 ]; then
    mkdir -p "$home/bak/smarty"
    cp -a /usr/share/php/smarty4/. "$home/bak/smarty/"
  fi
  if [ -f /usr/share/javascript/jquery/jquery.min.js ]; then
    mkdir -p "$home/bak/include/js"
    cp -L /usr/share/javascript/jquery/jquery.min.js "$home/bak/include/js/jquery.js"
  fi
fi
if [ ! -e "$home/projects.mdb" ]; then
  "$cli" --home "$home" init >/dev/null
fi
