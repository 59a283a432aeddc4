# The page in headless Chromium (tests/web/test_*.py), beside the SDL end-to-end tests under the label e2e. They
# serve the page the preset web builds (GORVANE_WEB_PAGE, packaging/install.cmake: build/web/page) and are
# skipped while there is none.
# Debian's Python, which has Debian's selenium, whatever python3 comes first on the PATH.
find_program(GORVANE_DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
file(GLOB GORVANE_WEB_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/test_*.py)
foreach(script ${GORVANE_WEB_SCRIPTS})
  get_filename_component(stem ${script} NAME_WE)
  add_test(NAME e2e_${stem} COMMAND ${GORVANE_DEBIAN_PYTHON} ${script})
  set_tests_properties(e2e_${stem} PROPERTIES LABELS e2e RUN_SERIAL TRUE TIMEOUT 300 SKIP_RETURN_CODE 77
    ENVIRONMENT "GORVANE_CAPTION=${GORVANE_CAPTION};GORVANE_WEB_PAGE=${GORVANE_WEB_PAGE};GORVANE_LOOK=$<TARGET_FILE:look>;GORVANE_ASSETS=$<TARGET_FILE:gorvane-assets>;GORVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endforeach()
