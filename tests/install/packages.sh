#!/bin/bash
# SPDX-License-Identifier: MIT
# The Debian packages as a machine receives them: made by CPack from the
# build, unpacked with dpkg -x into a scratch root, and the unpacked programs
# run. The command-line package must not depend on Qt; the desktop package
# must depend on it and carry the menu entry, icon, file type, metadata and
# screenshot. Each carries its copyright file and changelog, and lintian,
# where installed, finds no error and no warning that is not overridden.
#   packages.sh BUILD_DIR SAVEFILE VERSION
set -uo pipefail
build=$(realpath "$1")
save=$(realpath "$2")
version=$3
if ! command -v dpkg-deb >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
  echo "dpkg-deb or dpkg-shlibdeps is not installed; skipped"
  exit 77
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "$*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack failed"; }
cli=$(ls "$scratch"/out/kr761x-cli_"$version"_*.deb 2>/dev/null)
gui=$(ls "$scratch"/out/kr761x-wizard_"$version"_*.deb 2>/dev/null)
[ -f "$cli" ] && [ -f "$gui" ] || { ls "$scratch/out"; fail "expected kr761x-cli and kr761x-wizard $version"; }

cli_depends=$(dpkg-deb -f "$cli" Depends)
grep -qi qt <<<"$cli_depends" && fail "kr761x-cli depends on Qt: $cli_depends"
grep -q libxml2 <<<"$cli_depends" || fail "kr761x-cli misses its library dependencies: $cli_depends"
[ "$(dpkg-deb -f "$cli" Recommends)" = sdcc ] || fail "kr761x-cli does not recommend sdcc"
gui_depends=$(dpkg-deb -f "$gui" Depends)
grep -q "kr761x-cli (= $version)" <<<"$gui_depends" || fail "kr761x-wizard does not depend on kr761x-cli: $gui_depends"
grep -qi qt6 <<<"$gui_depends" || fail "kr761x-wizard misses Qt among its dependencies: $gui_depends"

root=$scratch/root
dpkg -x "$cli" "$root" && dpkg -x "$gui" "$root" || fail "dpkg -x failed"
for file in usr/bin/kr761x-gen usr/share/man/man1/kr761x-gen.1.gz \
            usr/share/bash-completion/completions/kr761x-gen \
            usr/bin/kr761x-build usr/share/man/man1/kr761x-build.1.gz \
            usr/bin/kr761x-wizard usr/share/man/man1/kr761x-wizard.1.gz \
            usr/share/applications/kr761x-wizard.desktop usr/share/kr761x-wizard/screenshots/main-window.png \
            usr/share/icons/hicolor/scalable/apps/kr761x-wizard.svg usr/share/mime/packages/kr761x-wizard.xml; do
  [ -e "$root/$file" ] || fail "$file is in neither package"
done
ls "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null 2>&1 || fail "no AppStream metadata in usr/share/metainfo/"
# The metadata as installed: named after its id, its desktop file there.
if command -v appstreamcli >/dev/null; then
  appstreamcli validate-tree --no-net "$root" || fail "the installed AppStream metadata does not validate"
fi
# The copyright file names the project's licence and no other; the
# changelog's newest entry is this version.
for deb in "$cli" "$gui"; do
  package=$(dpkg-deb -f "$deb" Package)
  contents=$(dpkg -c "$deb")
  for file in copyright changelog.gz; do
    grep -q " ./usr/share/doc/$package/$file\$" <<<"$contents" || fail "$package has no /usr/share/doc/$package/$file"
  done
  licences=$(grep '^License:' "$root/usr/share/doc/$package/copyright" | sort -u)
  [ "$licences" = "License: MIT" ] || fail "$package's copyright file names other licences: $licences"
  head=$(gzip -dc "$root/usr/share/doc/$package/changelog.gz" | head -1)
  [[ $head == "kr761x ($version) "* ]] || fail "$package's changelog starts with '$head', not version $version"
done
# Manual pages compressed, as Debian keeps them.
for page in "$root"/usr/share/man/man1/*; do
  [[ $page == *.gz ]] || fail "${page#"$root"/} is not compressed"
  gzip -dc "$page" | grep -q '^\.TH' || fail "${page#"$root"/} is not a manual page"
done
# Only what the packages own: no caches of the desktop's databases.
extra=$(cd "$root" && find . -type f | grep -v -e '^./usr/bin/' -e '^./usr/share/man/' -e '^./usr/share/bash-completion/' \
  -e '^./usr/share/applications/' -e '^./usr/share/metainfo/' -e '^./usr/share/icons/' -e '^./usr/share/mime/packages/' \
  -e '^./usr/share/doc/' -e '^./usr/share/lintian/overrides/' -e '^./usr/share/kr761x-wizard/screenshots/')
[ -z "$extra" ] || fail "unexpected files in the packages: $extra"

[ "$("$root/usr/bin/kr761x-gen" --version)" = "kr761x-gen $version" ] || fail "the installed kr761x-gen --version is wrong"
"$root/usr/bin/kr761x-gen" generate "$save" "$scratch/project" || fail "the installed kr761x-gen generate failed"
[ -s "$scratch/project/KR761x_USB_Descriptor.c" ] || fail "the installed kr761x-gen generate wrote no project"

if command -v lintian >/dev/null; then
  # Overridden tags are not shown; --fail-on counts only what is left.
  lintian --fail-on error,warning --tag-display-limit 0 "$cli" "$gui" 2>&1 | grep -v 'running with root privileges'
  [ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian reports errors or warnings that are not overridden (above)"
else
  echo "lintian is not installed; the packages were not checked with it"
fi
echo "kr761x-cli and kr761x-wizard $version: built, unpacked and run"
