# `cpack -G DEB` in a build folder makes a Debian package of what cmake/Install.cmake
# installs. The library dependencies come from dpkg-shlibdeps, so the package asks
# for exactly the libraries the program was linked against; what the program loads
# at run time without linking (Qt's platform and image plugins, the desktop's
# opener for the help document) is named by hand.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VENDOR "Vistrel developers")
set(CPACK_PACKAGE_CONTACT "Vistrel developers <developers@vistrel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen viewer for movies and pictures")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The package carries the program without its debugging information.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, xdg-utils")
# Debian's extended description; CPack puts the summary above it.
set(CPACK_PACKAGE_DESCRIPTION
  "Vistrel turns the files and folders it is given into a play list and shows
one item at a time on a borderless, screen-sized window on black: pictures
turned by their stored orientation, movies played. It steps through the list
by hand or as a timed slide show, changes a movie's rate, volume and position,
zooms, stretches and places the item, saves and loads play lists and saves
frames.")

# One script serves as both postinst and postrm: after files came or went, the
# same caches need refreshing.
set(VISTREL_DEB_DATADIR ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR})
set(VISTREL_DEB_SCRIPTS ${PROJECT_BINARY_DIR}/generated/debian)
foreach(script postinst postrm)
  configure_file(${PROJECT_SOURCE_DIR}/resources/debian/refresh-desktop-caches.in
                 ${VISTREL_DEB_SCRIPTS}/${script} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VISTREL_DEB_SCRIPTS}/postinst ${VISTREL_DEB_SCRIPTS}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
