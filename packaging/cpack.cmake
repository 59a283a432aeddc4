# The Linux packages: a .deb for Debian and its derivatives, and a tarball of the same tree for everyone else.
# scripts/package.sh makes both (cpack -G "DEB;TGZ").
set(CPACK_PACKAGE_NAME gorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Gorvane developers")
set(CPACK_PACKAGE_CONTACT "The Gorvane developers <developers@gorvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person exploration of a valley through day and night")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Directories and files as Debian wants them, whatever the umask of the person packaging.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the built programs link, found by dpkg-shlibdeps (SDL2, OpenGL, GLU, EGL, X11, assimp for the
# asset tool, the C and C++ runtimes), with the versions the build saw.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The synopsis line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Gorvane is a small first-person 3D exploration game: a textured valley under
exponential fog, with a stone hut, a paved yard and a waterfall between rock
walls, and a sky that runs through day, dusk, night and dawn while voices and
music play at fixed moments of each cycle. The arrow keys walk and turn, the
mouse turns and tilts the view. It runs on any OpenGL, software rendering
included.
.
The package also holds gorvane-assets, which reads bitmaps, levels and models
with the game's own loaders, and brings levels in from modelling tools such as
Blender and out to them, for people who make data for the game.")

set(CPACK_ARCHIVE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-per-generator.cmake)
include(CPack)
