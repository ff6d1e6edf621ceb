#!/bin/bash
# The program as a user gets it, installed and packaged:
#   install.sh SOURCE_DIR HOME_DIR        (HOME_DIR is BUILD_DIR/bin)
# Installs the build with `cmake --install` into a temporary prefix and, when
# dpkg-deb is there, builds the Debian package with cpack and unpacks it into a
# temporary root. Each is run with HOME pointed at a fresh folder: the first
# start needs no init, a model is imported and generated, and the site must be
# whole (Smarty and jQuery as files of their own) and the same as the build
# tree makes. Also: a data folder that cannot be made, a model left beside the
# program by an earlier version, and deleting a build tree that was used,
# which must leave the model and the sites alone. lintian checks the package.
# Ends with the line "N passed, N failed".
set -uo pipefail

src=$(cd "$1" && pwd) || exit 2
bin=$(cd "$2" && pwd) || exit 2
build=$(dirname "$bin")

. "$src/tests/scripts/support/common.sh"
require_tools cmake cmp diff
[ -f "$build/cmake_install.cmake" ] || { echo "no build tree at $build" >&2; exit 2; }

# An optional tool: its checks are left out when it is missing, unless the
# run asked for every test to run (then its absence is a failure).
have() {
  command -v "$1" >/dev/null 2>&1 && return 0
  if [ "${QUORREL_NO_SKIP:-0}" = 1 ]; then fail "$1 is not installed (scripts/setup.sh installs it)"
  else echo "note - $1 is not installed: its checks are left out"; fi
  return 1
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorrel-install.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM HUP
unset XDG_DATA_HOME

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || version=unknown

# The reference site: the build tree's program on a home folder of its own.
ref=$tmp/reference
mkdir -p "$ref"
cp -a "$bin/bak" "$bin/template" "$ref/"
"$bin/quorrel-cli" --home "$ref" init >/dev/null \
  && "$bin/quorrel-cli" --home "$ref" import "$src/tests/e2e/model.json" >/dev/null \
  && "$bin/quorrel-cli" --home "$ref" generate shop >/dev/null \
  || { fail "the build tree's quorrel-cli generates the reference site"; summary; exit 1; }

# installed_run ROOT LABEL: runs ROOT/bin/quorrel-cli (ROOT is a prefix) as a
# user whose HOME is a fresh folder.
installed_run() {
  local root=$1 label=$2 cli=$1/bin/quorrel-cli
  local user=$tmp/home-$label data
  data=$user/.local/share/quorrel
  mkdir -p "$user"
  [ -x "$cli" ] || { fail "$label: no $cli"; return; }

  check "$label: --version gives $version" test "$(HOME=$user "$cli" --version)" = "quorrel-cli $version"
  local paths
  paths=$(HOME=$user "$cli" paths)
  check "$label: the resources are found in share/quorrel of the root" \
    test "$(printf '%s\n' "$paths" | sed -n 's/^resources\t//p')" = "$root/share/quorrel"
  check "$label: the data folder is ~/.local/share/quorrel" \
    test "$(printf '%s\n' "$paths" | sed -n 's/^data\t//p')" = "$data"

  local listed
  listed=$(HOME=$user "$cli" projects 2>"$tmp/first-$label.err")
  check "$label: the first start makes an empty model without init" \
    test $? -eq 0 -a -z "$listed" -a -f "$data/projects.mdb"
  HOME=$user "$cli" import "$src/tests/e2e/model.json" >/dev/null \
    && HOME=$user "$cli" generate shop >"$tmp/generate-$label.log" 2>&1
  check "$label: import and generate" test $? -eq 0
  local site=$data/projects/shop
  check "$label: Smarty is in the site as files" \
    test -f "$site/smarty/Smarty.class.php" -a ! -L "$site/smarty/Smarty.class.php" -a ! -L "$site/smarty/sysplugins"
  check "$label: jQuery is in the site as a file" \
    cmp -s "$site/include/js/jquery.js" "$bin/bak/include/js/jquery.js"
  check "$label: the site has no links" test -z "$(find "$site" -type l)"
  # The manifests differ in their time (and so their checksum) only.
  check "$label: the site is the one the build tree makes" diff -r --exclude=.quorrel "$ref/projects/shop" "$site"
  check "$label: the manifest lists the same files" php -r '
    $files = function ($f) { $m = json_decode(file_get_contents($f), true); return is_array($m) ? $m["files"] : null; };
    exit($files($argv[1]) !== null && $files($argv[1]) === $files($argv[2]) ? 0 : 1);' \
    "$ref/projects/shop/.quorrel/manifest.json" "$site/.quorrel/manifest.json"
  check "$label: the help page is installed" test -f "$root/share/quorrel/help/index.html"
}

# --- cmake --install -------------------------------------------------------
prefix=$tmp/prefix
if cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
  pass "cmake --install into a temporary prefix"
  installed_run "$prefix" prefix
  for f in bin/quorrel-cli share/applications/quorrel.desktop share/icons/hicolor/scalable/apps/quorrel.svg \
           share/man/man1/quorrel-cli.1.gz share/doc/quorrel/copyright; do
    check "installs $f" test -f "$prefix/$f"
  done
  if [ -x "$bin/quorrel" ]; then
    check "installs bin/quorrel, which gives $version" \
      test "$(QT_QPA_PLATFORM=offscreen "$prefix/bin/quorrel" --version 2>/dev/null)" = "quorrel $version"
  fi
  if have desktop-file-validate; then
    check "the desktop entry is valid" desktop-file-validate "$prefix/share/applications/quorrel.desktop"
    check "the desktop entry has English and Chinese names" \
      grep -q '^Name\[zh_CN\]=' "$prefix/share/applications/quorrel.desktop"
  fi
  if have man; then
    check "the manual page of quorrel-cli reads and tells of the data folder" \
      sh -c 'MANWIDTH=80 man -l "$1" 2>/dev/null | grep -q "XDG_DATA_HOME/quorrel"' _ "$prefix/share/man/man1/quorrel-cli.1.gz"
  fi
else
  cat "$tmp/install.log"
  fail "cmake --install into a temporary prefix"
fi

# --- faults and a build tree that goes away ----------------------------------
# The build tree's programs and resources, in a tree of their own that this
# test may delete.
tree=$tmp/checkout/build/bin
mkdir -p "$tree"
cp -a "$bin/quorrel-cli" "$bin/bak" "$bin/template" "$bin/help" "$tree/"

: >"$tmp/a-file"
out=$(XDG_DATA_HOME=$tmp/a-file "$tree/quorrel-cli" projects 2>&1)
status=$?
check "a data folder that cannot be made stops the program" test "$status" -eq 1
check "its message names the folder and --home" \
  sh -c 'printf "%s" "$1" | grep -qF "$2" && printf "%s" "$1" | grep -q -- "--home"' _ "$out" "$tmp/a-file/quorrel"

# A model kept beside the program by an earlier version.
"$tree/quorrel-cli" --home "$tree" init >/dev/null && "$tree/quorrel-cli" --home "$tree" import "$src/tests/e2e/model.json" >/dev/null
old_sum=$(cksum <"$tree/projects.mdb")
user=$tmp/home-tree
mkdir -p "$user"
out=$(HOME=$user "$tree/quorrel-cli" projects 2>&1)
status=$?
check "a model beside the program is not taken silently" test "$status" -eq 1 -a ! -e "$user/.local/share/quorrel/projects.mdb"
check "the old model is left as it was" test "$(cksum <"$tree/projects.mdb")" = "$old_sum"
moves=$(printf '%s\n' "$out" | sed -n 's/^  mv /mv /p')
check "the message says how to move it" test -n "$moves"
(eval "$moves")
check "after the move the model has its project" test "$(HOME=$user "$tree/quorrel-cli" projects)" = $'1\tshop'
HOME=$user "$tree/quorrel-cli" generate shop >/dev/null 2>&1
rm -rf "$tmp/checkout/build"
check "deleting the build tree leaves the model and the site" \
  test -f "$user/.local/share/quorrel/projects.mdb" -a -f "$user/.local/share/quorrel/projects/shop/admin/index.php"

# --- the Debian package ------------------------------------------------------
if have dpkg-deb && have cpack; then
  if cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/package" >"$tmp/cpack.log" 2>&1; then
    deb=$(ls "$tmp"/package/quorrel_*.deb 2>/dev/null | head -1)
  else
    deb=""
  fi
  if [ -n "$deb" ]; then
    pass "cpack builds $(basename "$deb")"
    depends=$(dpkg-deb -f "$deb" Depends)
    for p in smarty4 libjs-jquery libsqlite3-0 libqt6core6; do
      check "the package depends on $p" sh -c 'printf "%s" "$1" | grep -qE "(^|, )$2( |,|$)"' _ "$depends" "$p"
    done
    root=$tmp/root
    dpkg-deb -x "$deb" "$root" && installed_run "$root/usr" package
    if have lintian; then
      lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1
      check "lintian reports no errors" test $? -eq 0
      grep '^[EW]:' "$tmp/lintian.log" | head -20
    fi
  else
    cat "$tmp/cpack.log"
    fail "cpack builds the Debian package"
  fi
fi

summary
[ "$failed" -eq 0 ]
