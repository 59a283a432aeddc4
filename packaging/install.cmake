# Where an installed game puts its files, following Debian's layout for games (prefix /usr in the package):
#   games/gorvane                     the launcher, on the PATH: starts the game in its data directory
#   lib/games/gorvane/gorvane         the game program
#   share/games/gorvane/              the level, the bitmaps and the sounds
#   bin/gorvane-assets                the asset tool
#   share/gorvane/web/                the web page's program files, which gorvane-assets web publishes levels with
#   share/applications, share/metainfo, share/icons/hicolor, share/man, share/doc/gorvane
# The launcher finds the program and the data relative to itself, so the same tree works under /usr, under
# /usr/local and unpacked from the tarball anywhere.
set(GORVANE_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(GORVANE_APP_ID org.gorvane.gorvane)
set(generated ${PROJECT_BINARY_DIR}/packaging)

install(PROGRAMS ${GORVANE_PACKAGING}/gorvane DESTINATION games)
install(TARGETS gorvane RUNTIME DESTINATION lib/games/gorvane)
install(TARGETS gorvane-assets RUNTIME DESTINATION bin)
install(DIRECTORY data/ DESTINATION share/games/gorvane)
# The page is built with emscripten apart from this build (the preset web); its files are installed when they
# are there at install time (package.sh builds the page first).
set(GORVANE_WEB_PAGE ${PROJECT_SOURCE_DIR}/build/web/page CACHE PATH
  "The web page's program files (index.html, gorvane.js, gorvane.wasm)")
install(FILES ${GORVANE_WEB_PAGE}/index.html ${GORVANE_WEB_PAGE}/gorvane.js ${GORVANE_WEB_PAGE}/gorvane.wasm
  DESTINATION share/gorvane/web OPTIONAL)

install(FILES ${GORVANE_PACKAGING}/${GORVANE_APP_ID}.desktop DESTINATION share/applications)
configure_file(${GORVANE_PACKAGING}/${GORVANE_APP_ID}.metainfo.xml.in ${generated}/${GORVANE_APP_ID}.metainfo.xml
  @ONLY)
install(FILES ${generated}/${GORVANE_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${GORVANE_PACKAGING}/icons/${size}x${size}/gorvane.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages and the changelog are installed compressed, without a name or a date in the gzip header, so
# the same sources give the same bytes.
set(VERSION ${PROJECT_VERSION})
configure_file(${GORVANE_PACKAGING}/gorvane.6.in ${generated}/gorvane.6 @ONLY)
configure_file(${GORVANE_PACKAGING}/gorvane-assets.1.in ${generated}/gorvane-assets.1 @ONLY)
configure_file(${GORVANE_PACKAGING}/changelog.in ${generated}/changelog @ONLY)
set(compressed)
foreach(file gorvane.6 gorvane-assets.1 changelog)
  add_custom_command(OUTPUT ${generated}/${file}.gz
    COMMAND gzip -9nkf ${generated}/${file}
    DEPENDS ${generated}/${file} VERBATIM)
  list(APPEND compressed ${generated}/${file}.gz)
endforeach()
add_custom_target(gorvane_compressed_docs ALL DEPENDS ${compressed})
install(FILES ${generated}/gorvane.6.gz DESTINATION share/man/man6)
install(FILES ${generated}/gorvane-assets.1.gz DESTINATION share/man/man1)
install(FILES ${generated}/changelog.gz ${GORVANE_PACKAGING}/copyright DESTINATION share/doc/gorvane)

include(${GORVANE_PACKAGING}/cpack.cmake)
