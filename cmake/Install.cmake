# What `cmake --install build --prefix P` puts under P: the program, its help
# document and the files the desktop finds it by (menu entry, icon, play list
# type, software-centre entry, manual page). Nothing outside P is touched:
# refreshing the desktop's caches is left to the package's maintainer scripts.

include(GNUInstallDirs)

# The day of the release that project() names; the manual page and the
# software-centre entry carry both.
set(VISTREL_RELEASE_DATE 2026-12-09)

set(VISTREL_RESOURCES ${PROJECT_SOURCE_DIR}/resources)
set(VISTREL_GENERATED ${PROJECT_BINARY_DIR}/generated)

install(TARGETS vistrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The viewer looks for its help document under share/vistrel (VISTREL_DATA_DIR_FROM_VIEWER).
install(FILES ${VISTREL_HELP_PDF} DESTINATION ${CMAKE_INSTALL_DATADIR}/vistrel)
install(FILES ${VISTREL_RESOURCES}/vistrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VISTREL_RESOURCES}/vistrel-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vistrel.xml)

configure_file(${VISTREL_RESOURCES}/org.vistrel.Vistrel.metainfo.xml.in
               ${VISTREL_GENERATED}/org.vistrel.Vistrel.metainfo.xml @ONLY)
install(FILES ${VISTREL_GENERATED}/org.vistrel.Vistrel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages go compressed, as Debian's man-db expects; -n keeps the archive
# free of the build's time stamp.
configure_file(${VISTREL_RESOURCES}/vistrel.1.in ${VISTREL_GENERATED}/vistrel.1 @ONLY)
add_custom_command(
  OUTPUT ${VISTREL_GENERATED}/vistrel.1.gz
  COMMAND gzip -9nf -k ${VISTREL_GENERATED}/vistrel.1
  DEPENDS ${VISTREL_GENERATED}/vistrel.1
  VERBATIM)
add_custom_target(vistrel_manpage ALL DEPENDS ${VISTREL_GENERATED}/vistrel.1.gz)
install(FILES ${VISTREL_GENERATED}/vistrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The icon: the drawing itself for the scalable size, and PNGs rendered from it
# for the fixed sizes that menus and panels ask for.
set(VISTREL_ICON_SVG ${VISTREL_RESOURCES}/icons/vistrel.svg)
set(VISTREL_ICON_SIZES 16 22 24 32 48 64 128 256 512)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_outputs)
foreach(size IN LISTS VISTREL_ICON_SIZES)
  set(icon_dir ${VISTREL_GENERATED}/icons/${size}x${size}/apps)
  add_custom_command(
    OUTPUT ${icon_dir}/vistrel.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${icon_dir}/vistrel.png ${VISTREL_ICON_SVG}
    DEPENDS ${VISTREL_ICON_SVG}
    VERBATIM)
  list(APPEND icon_outputs ${icon_dir}/vistrel.png)
  install(FILES ${icon_dir}/vistrel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(vistrel_icons ALL DEPENDS ${icon_outputs})
install(FILES ${VISTREL_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
