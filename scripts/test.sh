#!/usr/bin/env bash
# Builds everything and runs every test: the unit and behaviour tests under AddressSanitizer and
# UndefinedBehaviorSanitizer and again in a Release build, the end-to-end tests of the SDL and Windows
# programs and of the web page in headless Chromium, the packages a player installs (built, installed,
# started, removed), the loaders' tests on a 32-bit build and under node, and each fuzz target (whose build compiles the whole tree with Clang). Warnings in our own code
# are errors in every build made here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
fuzz_seconds=${GORVANE_FUZZ_SECONDS:-60}

scripts/setup.sh test

echo "== Windows programs"
cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release -DGORVANE_WERROR=ON >/dev/null
cmake --build build/win32 -j "$jobs"
if i686-w64-mingw32-objdump -p build/win32/gorvane.exe | grep 'DLL Name' | grep -viqE \
    'kernel32|user32|gdi32|opengl32|glu32|winmm|msvcrt'; then
  echo "the Windows program imports a DLL that is not part of the system:" >&2
  i686-w64-mingw32-objdump -p build/win32/gorvane.exe | grep 'DLL Name' >&2
  exit 1
fi
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DGORVANE_WERROR=ON >/dev/null
cmake --build build/win64 -j "$jobs"

# The page and its tests under node; its browser tests run with each desktop build's tests below.
scripts/web.sh

echo "== Game, tools, tests and benchmarks (sanitized)"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGORVANE_SANITIZE=ON -DGORVANE_WERROR=ON \
  >/dev/null
cmake --build build/test -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export SDL_AUDIODRIVER=dummy
(cd build/test && ctest --output-on-failure --timeout 600)

echo "== Game, tools and tests as players build them (Release)"
cmake -S . -B build/release-test -G Ninja -DCMAKE_BUILD_TYPE=Release -DGORVANE_WERROR=ON >/dev/null
cmake --build build/release-test -j "$jobs"
(cd build/release-test && ctest --output-on-failure --timeout 600)

echo "== What a player installs"
# The .deb, the tarball and the Windows zip, checked as built, then each installed or unpacked and started
# the way a player starts it. Installing the .deb needs root (or sudo). The zip's programs are the Windows
# end-to-end tests: its 32-bit programs under 32-bit Wine, or the 64-bit build standing in (its first line
# says which).
scripts/package.sh
export GORVANE_LOOK=$root/build/test/tests/look GORVANE_WIN64_EXE=$root/build/win64/gorvane.exe
tests/package/check_packages.sh dist
tests/package/test_deb.sh dist/gorvane_*.deb
tests/package/test_tarball.sh dist/gorvane-*-linux-*.tar.gz
status=0
tests/package/test_zip.sh dist/gorvane-*-windows-x86.zip || status=$?
[ "$status" = 0 ] || [ "$status" = 77 ] || exit 1

echo "== The loaders on a 32-bit build"
# Every size the loaders compute, on a 32-bit size_t: the loaders, their tests that need no OpenGL and the
# fuzz seed corpora, built with -m32.
emulator=
if ! scripts/kernel-runs-32bit.sh; then
  emulator=qemu-i386
  echo "this kernel does not run 32-bit programs: the 32-bit tests run under qemu-i386"
fi
cmake -S . -B build/i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGORVANE_LOADERS_ONLY=ON -DGORVANE_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" >/dev/null
cmake --build build/i686 -j "$jobs"
(cd build/i686 && ctest --output-on-failure --timeout 600)

echo "== Fuzzing (${fuzz_seconds} s each)"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGORVANE_FUZZ=ON \
  -DGORVANE_BENCH=OFF -DGORVANE_WERROR=ON >/dev/null
targets=$(cd fuzz && ls fuzz_*.cpp 2>/dev/null | sed 's/\.cpp$//')
# Everything is built here, not only the fuzz targets: this is the build that keeps the code clean under Clang.
cmake --build build/fuzz -j "$jobs"
fuzz_failed=0
for target in $targets; do
  name=${target#fuzz_}
  work=$(mktemp -d)
  seeds=fuzz/corpus/$name
  [ -d "$seeds" ] || seeds=""
  echo "-- $target"
  if ! build/fuzz/fuzz/$target -max_total_time="$fuzz_seconds" -print_final_stats=1 -artifact_prefix="$work/" \
      "$work" $seeds >"$work.log" 2>&1; then
    echo "$target found a fault:" >&2
    tail -n 40 "$work.log" >&2
    fuzz_failed=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$work.log" | tail -n 2
  fi
  rm -rf "$work" "$work.log"
done
[ "$fuzz_failed" -eq 0 ] || exit 1
echo "== All tests passed"
