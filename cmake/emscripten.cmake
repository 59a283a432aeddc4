# The browser build, with Debian's emscripten (3.1.6) offline: its system libraries come prebuilt in a read-only
# cache, and nothing is downloaded (no ports: the browser backend needs none).
#   cmake -S . -B build/web -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake     (or: cmake --preset web)
# Programs built for node (the loaders' tests) run under node without its fetch, which emscripten's loader would
# otherwise try for the wasm file.
set(CMAKE_CROSSCOMPILING_EMULATOR node --no-experimental-fetch)
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# Linking runs emscripten's JavaScript tools, which find their node modules only in Debian's folder.
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
