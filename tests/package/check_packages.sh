#!/usr/bin/env bash
# What can be checked in the packages without installing them: lintian finds no errors in the .deb, its desktop
# entry and AppStream metadata validate, the tarball holds the .deb's tree, the version agrees everywhere, the
# Windows zip holds exactly the two programs, the data, the read-me and the web page's program files, importing
# system DLLs only, and the web zip exactly the page's program files and the data.
# Usage: check_packages.sh DIST_DIR
set -euo pipefail
dist=$(cd "${1:?usage: check_packages.sh DIST_DIR}" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

deb=$(ls "$dist"/gorvane_*.deb)
tarball=$(ls "$dist"/gorvane-*-linux-*.tar.gz)
zip=$(ls "$dist"/gorvane-*-windows-x86.zip)
web_zip=$(ls "$dist"/gorvane-*-web.zip)
page_files=(index.html gorvane.js gorvane.wasm)
version=$(dpkg-deb -f "$deb" Version)

echo "-- lintian"
# Kept warning: package-section-games-but-has-usr-bin. The asset tool is a command-line tool for level makers,
# installed where commands go; only the game itself belongs in /usr/games.
report=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[ -z "$report" ] || echo "$report"
! grep -q '^E:' <<<"$report" || fail "lintian reports errors in $(basename "$deb")"

echo "-- the desktop entry and the AppStream metadata"
dpkg-deb -x "$deb" "$tmp/deb"
desktop-file-validate "$tmp/deb/usr/share/applications/org.gorvane.gorvane.desktop" ||
  fail "the desktop entry does not validate"
appstreamcli validate --no-net "$tmp/deb/usr/share/metainfo/org.gorvane.gorvane.metainfo.xml" ||
  fail "the AppStream metadata does not validate"
grep -q "<release version=\"$version\"" "$tmp/deb/usr/share/metainfo/org.gorvane.gorvane.metainfo.xml" ||
  fail "the AppStream release is not $version"
for size in 16 32 48 64 128 256; do
  [ "$(identify -format %wx%h "$tmp/deb/usr/share/icons/hicolor/${size}x$size/apps/gorvane.png")" = "${size}x$size" ] ||
    fail "the ${size}x$size icon is missing or has another size"
done

echo "-- the asset tool's libraries"
# The scene import and export link assimp: dpkg-shlibdeps must have found it, or the installed tool would not
# start.
dpkg-deb -f "$deb" Depends | grep -q 'libassimp5' || fail "the package does not depend on assimp's library"
for file in "${page_files[@]}"; do
  [ -s "$tmp/deb/usr/share/gorvane/web/$file" ] || fail "the package has no share/gorvane/web/$file for the web command"
done

echo "-- one version"
tool_version=$("$tmp/deb/usr/bin/gorvane-assets" --version)
[ "$tool_version" = "gorvane-assets $version" ] || fail "the tool says \"$tool_version\", the package $version"
zcat "$tmp/deb/usr/share/doc/gorvane/changelog.gz" | head -n1 | grep -qF "gorvane ($version)" ||
  fail "the changelog's last entry is not $version"

echo "-- the tarball holds the package's tree"
mkdir "$tmp/tar"
tar -xzf "$tarball" -C "$tmp/tar"
top=$(ls "$tmp/tar")
[ "$(echo "$top" | wc -l)" = 1 ] || fail "the tarball does not unpack into one folder"
(cd "$tmp/deb/usr" && find . -type f | sort) >"$tmp/deb.list"
(cd "$tmp/tar/$top" && find . -type f | sort) >"$tmp/tar.list"
diff -u "$tmp/deb.list" "$tmp/tar.list" || fail "the tarball's files differ from the package's"

echo "-- the Windows zip"
mkdir "$tmp/zip"
unzip -q "$zip" -d "$tmp/zip"
folder=$(ls "$tmp/zip")
{ echo README.txt; echo gorvane-assets.exe; echo gorvane.exe; echo web; printf 'web/%s\n' "${page_files[@]}"
  (cd "$source_dir/data" && ls); } | LC_ALL=C sort >"$tmp/want"
(cd "$tmp/zip/$folder" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort) >"$tmp/have"
diff -u "$tmp/want" "$tmp/have" ||
  fail "the zip holds other files than the programs, the data, README.txt and the page's program files"
for exe in gorvane.exe gorvane-assets.exe; do
  i686-w64-mingw32-objdump -f "$tmp/zip/$folder/$exe" | grep -q 'file format pei-i386' ||
    fail "$exe is not a 32-bit Windows program"
  if i686-w64-mingw32-objdump -p "$tmp/zip/$folder/$exe" | grep 'DLL Name' |
      grep -viqE 'kernel32|user32|gdi32|opengl32|glu32|winmm|msvcrt'; then
    fail "$exe imports a DLL that is not part of Windows"
  fi
done
grep -q $'\r$' "$tmp/zip/$folder/README.txt" || fail "README.txt does not have Windows line ends"
grep -qF "version $version" "$tmp/zip/$folder/README.txt" || fail "README.txt does not name version $version"
for file in $(cd "$source_dir/data" && ls); do
  cmp -s "$source_dir/data/$file" "$tmp/zip/$folder/$file" || fail "the zip's $file differs from data/$file"
done

echo "-- the web zip"
mkdir "$tmp/web"
unzip -q "$web_zip" -d "$tmp/web"
folder=$(ls "$tmp/web")
{ printf '%s\n' "${page_files[@]}"; (cd "$source_dir/data" && ls); } | LC_ALL=C sort >"$tmp/want"
(cd "$tmp/web/$folder" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort) >"$tmp/have"
diff -u "$tmp/want" "$tmp/have" || fail "the web zip holds other files than the page's program files and the data"
for file in $(cd "$source_dir/data" && ls); do
  cmp -s "$source_dir/data/$file" "$tmp/web/$folder/$file" || fail "the web zip's $file differs from data/$file"
done
echo "PASS: $(basename "$deb"), $(basename "$tarball"), $(basename "$zip"), $(basename "$web_zip")"
