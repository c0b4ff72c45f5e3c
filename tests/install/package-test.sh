#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it: the files
# it installs, the dependencies dpkg-shlibdeps found, that it carries no maintainer
# script that could touch a user's data, and that its desktop entry and AppStream
# metainfo validate.
#   package-test.sh BUILD_DIR
set -euo pipefail
build_dir=$1
scratch=$(mktemp -d "${TMPDIR:-/tmp}/corvanthel-package-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "package-test: $*" >&2
  exit 1
}

cpack --config "$build_dir/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
debs=("$scratch"/out/corvanthel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one corvanthel_*.deb, found: ${debs[*]}"
deb=${debs[0]}

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in \
  ./usr/bin/corvanthel \
  ./usr/bin/corvanthel-cli \
  ./usr/share/corvanthel/bak/web.config \
  ./usr/share/corvanthel/bak/Admin/Login.aspx \
  ./usr/share/corvanthel/bak/App_Code/DAL/DBHelp.cs \
  ./usr/share/corvanthel/help/index.html \
  ./usr/share/applications/org.corvanthel.Corvanthel.desktop \
  ./usr/share/metainfo/org.corvanthel.Corvanthel.metainfo.xml \
  ./usr/share/icons/hicolor/48x48/apps/org.corvanthel.Corvanthel.png \
  ./usr/share/icons/hicolor/256x256/apps/org.corvanthel.Corvanthel.png; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
# User data and build leftovers never ship.
if grep -E 'projects\.mdb|/projects/|\.stamp$' <<<"$contents"; then fail "the package ships user data"; fi

depends=$(dpkg-deb -f "$deb" Depends)
# The package names in Depends, one per line (the first of alternatives, without versions).
depended=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/[ (|].*//')
for needed in libc6 libstdc++6 libsqlite3-0 libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins fonts-wqy-zenhei; do
  grep -qxF "$needed" <<<"$depended" || fail "Depends lacks $needed: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = corvanthel ] || fail "wrong package name"

# Removing the package must never reach into home folders: no maintainer scripts.
dpkg-deb -e "$deb" "$scratch/control"
for script in preinst postinst prerm postrm; do
  [ ! -e "$scratch/control/$script" ] || fail "the package carries a $script script"
done

dpkg-deb -x "$deb" "$scratch/root"
desktop-file-validate "$scratch/root/usr/share/applications/org.corvanthel.Corvanthel.desktop" ||
  fail "the desktop entry does not validate"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/org.corvanthel.Corvanthel.metainfo.xml" ||
  fail "the metainfo does not validate"
echo "package-test: $(basename "$deb") Depends: $depends"
