# The file loaders alone, with their tests that need no OpenGL and a replay of the fuzz seed corpora: what the
# 32-bit build (cmake/linux-i686.cmake) and the browser build under node (cmake/emscripten.cmake) compile and
# run. No SDL, no OpenGL, no EGL: the scripted backend here has no offscreen drawing.
enable_testing()
if(EMSCRIPTEN)
  # The browser build's C++ library and number reading, checked under node: the tests read the source tree and the
  # data as they are (NODERAWFS), with a heap that grows as the loaders ask.
  add_link_options(-sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sENVIRONMENT=node)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
# GoogleTest from its packaged sources, built for this target like everything else.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(gorvane_globals STATIC app/globals.cpp)
target_link_libraries(gorvane_globals PUBLIC gorvane_warnings)
add_library(gorvane_platform_memory STATIC platform/posix/posix_memory.cpp)
target_link_libraries(gorvane_platform_memory PUBLIC gorvane_warnings)
add_library(gorvane_platform_scripted STATIC platform/scripted/scripted_platform.cpp platform/none/no_offscreen.cpp)
target_link_libraries(gorvane_platform_scripted PUBLIC gorvane_warnings)

add_library(gorvane_image STATIC image/bitmap.cpp image/bitmap_rows.cpp)
target_link_libraries(gorvane_image PUBLIC gorvane_warnings)
add_library(gorvane_world STATIC scene/world.cpp scene/world_numbers.cpp scene/world_lines.cpp scene/world_array.cpp)
target_link_libraries(gorvane_world PUBLIC gorvane_globals gorvane_platform_memory gorvane_warnings)
# The asset tool's collision check, which the world fuzz target runs on what it read.
add_library(gorvane_level_check STATIC tools/level/collision_check.cpp)
target_link_libraries(gorvane_level_check PUBLIC gorvane_world gorvane_warnings)
add_library(gorvane_ms3d STATIC model/model.cpp model/ms3d.cpp tests/loaders/model_without_gl.cpp)
target_link_libraries(gorvane_ms3d PUBLIC gorvane_warnings)

set(loaders gorvane_level_check gorvane_image gorvane_world gorvane_ms3d gorvane_globals gorvane_platform_scripted)
add_executable(loader_tests tests/support/game_test.cpp tests/image/dib_failure_test.cpp
  tests/image/dib_layout_test.cpp tests/image/dib_imagemagick_test.cpp tests/scene/world_file_test.cpp
  tests/model/ms3d_corpus_test.cpp)
target_link_libraries(loader_tests PRIVATE ${loaders} gtest_main)
add_test(NAME loader_tests COMMAND loader_tests WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/data)
set_tests_properties(loader_tests PROPERTIES ENVIRONMENT "GORVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")

# Every seed of every fuzz target, through the target's own checks.
foreach(name dib ms3d world)
  add_executable(replay_${name} fuzz/fuzz_${name}.cpp fuzz/replay.cpp)
  target_link_libraries(replay_${name} PRIVATE ${loaders})
  add_test(NAME replay_${name} COMMAND replay_${name} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
endforeach()
