#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it: the files
# it installs, the dependencies dpkg-shlibdeps found, that it carries no maintainer
# script that could touch a user's data, that its desktop entry and AppStream
# metainfo validate, that its manual pages render without a warning and its bash
# completion loads, that it carries the programs' version, and that lintian finds
# no error in it (its warnings and notes are printed).
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
  ./usr/share/icons/hicolor/256x256/apps/org.corvanthel.Corvanthel.png \
  ./usr/share/man/man1/corvanthel.1.gz \
  ./usr/share/man/man1/corvanthel-cli.1.gz \
  ./usr/share/bash-completion/completions/corvanthel-cli \
  ./usr/share/doc/corvanthel/copyright \
  ./usr/share/doc/corvanthel/changelog.gz; do
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

# The manual pages render, without a warning from the formatter, with their sections.
for page in corvanthel corvanthel-cli; do
  file="$scratch/root/usr/share/man/man1/$page.1.gz"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$file" 2>&1 >/dev/null) ||
    fail "man -l $page.1.gz failed: $warnings"
  [ -z "$warnings" ] || fail "man -l $page.1.gz warns: $warnings"
  rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$file" 2>/dev/null | col -b)
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES; do
    grep -qx "$section" <<<"$rendered" || fail "$page.1 has no $section section"
  done
done

# The completion is bash, and loading it registers the program's completion.
completion="$scratch/root/usr/share/bash-completion/completions/corvanthel-cli"
bash -n "$completion" || fail "the bash completion does not parse"
registered=$(bash -c 'source "$1" && complete -p corvanthel-cli' _ "$completion") ||
  fail "the bash completion does not register corvanthel-cli"
grep -q -- '-F _corvanthel_cli' <<<"$registered" || fail "unexpected completion: $registered"

# The package carries the version the program prints.
printed=$("$build_dir/bin/corvanthel-cli" --version)
[ "corvanthel-cli $(dpkg-deb -f "$deb" Version)" = "$printed" ] ||
  fail "package version $(dpkg-deb -f "$deb" Version) but the program prints: $printed"

# lintian: no error. Its warnings and notes are printed for the reader of the log.
if command -v lintian >/dev/null 2>&1; then
  lintian --fail-on error --display-info "$deb" >"$scratch/lintian.log" 2>&1 ||
    { cat "$scratch/lintian.log" >&2; fail "lintian reports an error"; }
  grep -v 'running with root privileges' "$scratch/lintian.log" | sed 's/^/package-test: lintian: /' || true
elif [ -n "${CI:-}" ]; then
  fail "lintian is not installed (scripts/install-deps installs it)"
else
  echo "package-test: lintian is not installed; skipped"
fi
echo "package-test: $(basename "$deb") Depends: $depends"
