#!/usr/bin/env bash
# Builds the game in Release and writes what a player installs to dist/:
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
jobs=$(nproc)
scripts/setup.sh package

# Debian's hardening flags (stack protector, fortified string functions, read-only relocations, immediate
# binding); the optimisation level stays Release's. No compiler identification in the programs: a stripped
# program has no use for it.
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS) -fno-ident"
ldflags="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now"

echo "== Web page"
cmake -S . -B build/package-web -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DCMAKE_BUILD_TYPE=Release \
  >/dev/null
cmake --build build/package-web -j "$jobs"
page=$root/build/package-web/page

echo "== Linux packages"
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DGORVANE_TESTS=OFF -DGORVANE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$cflags" -DCMAKE_C_FLAGS="$cflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DGORVANE_WEB_PAGE="$page" >/dev/null
cmake --build build/package -j "$jobs"
rm -rf dist
mkdir -p dist
# Files and directories in the packages get the usual modes whatever the packager's umask.
(umask 022 && cd build/package && cpack -G "DEB;TGZ" -B "$root/dist/cpack" >/dev/null)
mv dist/cpack/*.deb dist/cpack/*.tar.gz dist/
rm -rf dist/cpack

echo "== Windows zip"
cmake -S . -B build/package-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/package-win32 -j "$jobs"
version=$(sed -n 's/^#define GORVANE_VERSION "\(.*\)"$/\1/p' build/package-win32/include/app/version.h)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder=gorvane-$version-windows-x86
cmake --install build/package-win32 --prefix "$stage/$folder" --strip >/dev/null
mkdir "$stage/$folder/web"
cp "$page/index.html" "$page/gorvane.js" "$page/gorvane.wasm" "$stage/$folder/web/"
(cd "$stage" && cmake -E tar cf "$root/dist/$folder.zip" --format=zip --mtime=2026-12-09 "$folder")

echo "== Web zip"
# The page and the data as they are, from any static web host: replacing a data file replaces the level.
web=gorvane-$version-web
mkdir "$stage/$web"
cp "$page/index.html" "$page/gorvane.js" "$page/gorvane.wasm" data/* "$stage/$web/"
(cd "$stage" && cmake -E tar cf "$root/dist/$web.zip" --format=zip --mtime=2026-12-09 "$web")

ls -l dist
