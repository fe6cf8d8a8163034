# What `cmake --install` puts on a desktop, and the Debian package made of it by CPack: the
# game alone (not the tools, tests or benchmarks), its desktop entry, its icon at the sizes of
# the icon theme and its AppStream metadata, all three under one application id. Name and
# version come from the project.
#
#   cmake --install build --prefix /usr/local
#   cpack --config build/CPackConfig.cmake        (scripts/package does this)
include(GNUInstallDirs)

set(KELVANE_APP_ID org.kelvane.Kelvane)
set(KELVANE_RELEASE_DATE 2026-12-10)

set(desktop_dir ${CMAKE_BINARY_DIR}/desktop)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/Kelvane.desktop.in
               ${desktop_dir}/${KELVANE_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/Kelvane.metainfo.xml.in
               ${desktop_dir}/${KELVANE_APP_ID}.metainfo.xml @ONLY)

install(TARGETS kelvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${desktop_dir}/${KELVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop_dir}/${KELVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# resources/icons holds one PNG per size, named NxN (made with the window's icon, see
# resources/generate/MainIcon.py).
file(GLOB icons CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/icons/*x*.png)
foreach(icon IN LISTS icons)
  get_filename_component(size ${icon} NAME_WE)
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps
          RENAME ${KELVANE_APP_ID}.png)
endforeach()

# The Debian package: its dependencies are the packages of the shared libraries that the
# installed program links, as dpkg-shlibdeps finds them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${PROJECT_NAME})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 3D torpedo game for the desktop")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Aim a torpedo across a flat 3D sea with a slider, fire it with Start and hit the red\n"
       "ship that crosses the sea. There is no score and no end; close the window to stop.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kelvane developers")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, where dpkg-shlibdeps cannot see them: Mesa's EGL drivers (the software
# device too), and the plugin that draws the window's title bar and frame on Wayland desktops
# whose compositor leaves decorations to the program (SDL's libdecor falls back on none).
# The font the window's text is drawn with (the one the tests draw with): fontconfig finds no
# other on a minimal system, and the button's caption would be blank.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, libdecor-0-plugin-1-cairo")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
