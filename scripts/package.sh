#!/usr/bin/env bash
# Writes what a player installs to dist/, from the builds of the presets `web`, `release` (Release with the
# distribution's hardening) and `windows` (building them first when they are not up to date):
#   gorvane_VERSION_ARCH.deb              Debian package (the game in the menu, its icon, manual pages)
#   gorvane-VERSION-linux-ARCH.tar.gz     the same tree, to unpack anywhere and start with games/gorvane
#   gorvane-VERSION-windows-x86.zip       the 32-bit gorvane.exe and gorvane-assets.exe, the data, README.txt,
#                                         and in web/ the page's program files for gorvane-assets web
#   gorvane-VERSION-web.zip               the web page: index.html, gorvane.js, gorvane.wasm and the data
# The Linux packages carry the page's program files too (share/gorvane/web), for gorvane-assets web.
# Installs what it needs first (scripts/setup.sh package).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh package

echo "== Web page"
cmake --preset web >/dev/null
cmake --build --preset web
page=$root/build/web/page
page_files=("$page/index.html" "$page/gorvane.js" "$page/gorvane.wasm")

echo "== Linux packages"
cmake --preset release >/dev/null
cmake --build --preset release
rm -rf dist
mkdir -p dist
# Files and directories in the packages get the usual modes whatever the packager's umask.
(umask 022 && cd build/release && cpack -G "DEB;TGZ" -B "$root/dist/cpack" >/dev/null)
mv dist/cpack/*.deb dist/cpack/*.tar.gz dist/
rm -rf dist/cpack

echo "== Windows zip"
cmake --preset windows >/dev/null
cmake --build --preset windows
version=$(sed -n 's/^#define GORVANE_VERSION "\(.*\)"$/\1/p' build/windows/include/app/version.h)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder=gorvane-$version-windows-x86
cmake --install build/windows --prefix "$stage/$folder" --strip >/dev/null
mkdir "$stage/$folder/web"
cp "${page_files[@]}" "$stage/$folder/web/"
(cd "$stage" && cmake -E tar cf "$root/dist/$folder.zip" --format=zip --mtime=2026-12-09 "$folder")

echo "== Web zip"
# The page and the data as they are, from any static web host: replacing a data file replaces the level.
web=gorvane-$version-web
mkdir "$stage/$web"
cp "${page_files[@]}" data/* "$stage/$web/"
(cd "$stage" && cmake -E tar cf "$root/dist/$web.zip" --format=zip --mtime=2026-12-09 "$web")

ls -l dist
