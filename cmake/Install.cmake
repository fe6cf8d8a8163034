# What `cmake --install` puts on a desktop and on a developer's machine, in three components
# that CPack makes three Debian packages of:
#   game         the game, its desktop entry, its icon at the sizes of the icon theme and its
#                AppStream metadata, all three under one application id     -> kelvane
#   runtime      libkelvane.so.1                                              -> libkelvane1
#   development  the headers (include/kelvane/), the CMake package, the pkg-config module,
#                the tools (kelvane-rc, kelvane-form, kelvane-style, kelvane-headless) and
#                the API reference                                            -> libkelvane-dev
# Name and version come from the project.
#
#   cmake --install build --prefix /usr/local
#   cpack --config build/CPackConfig.cmake        (scripts/package does this)
include(CMakePackageConfigHelpers)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME game)

set(KELVANE_APP_ID org.kelvane.Kelvane)
set(KELVANE_RELEASE_DATE 2026-12-10)

set(desktop_dir ${CMAKE_BINARY_DIR}/desktop)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/Kelvane.desktop.in
               ${desktop_dir}/${KELVANE_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/Kelvane.metainfo.xml.in
               ${desktop_dir}/${KELVANE_APP_ID}.metainfo.xml @ONLY)

install(TARGETS kelvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT game)
# Installed anywhere, the game finds the library of its own prefix.
file(RELATIVE_PATH bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(kelvane PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
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

# The SDK. The headers keep the paths they have in the tree under one include root,
# include/kelvane: a program writes #include "shell/forms/Form.h" as the framework does. The
# back ends' headers (shell/platform) and the GL device's are not installed; of the 3D
# context, only what the 3D objects' headers name.
install(TARGETS kelvane_shared EXPORT KelvaneTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
set(KELVANE_PUBLIC_HEADER_DIRS shell/core shell/stream shell/canvas shell/layout shell/forms shell/app shell/controls
    shell/styles scene3d)
set(KELVANE_PUBLIC_CONTEXT_HEADERS)
foreach(header Buffers Context3D ContextManager GLDevice)
  list(APPEND KELVANE_PUBLIC_CONTEXT_HEADERS ${PROJECT_SOURCE_DIR}/scene3d/context/${header}.h)
endforeach()
foreach(dir IN LISTS KELVANE_PUBLIC_HEADER_DIRS)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kelvane/${dir}
          COMPONENT development FILES_MATCHING PATTERN "*.h" PATTERN "detail" EXCLUDE PATTERN "context" EXCLUDE)
endforeach()
install(FILES ${KELVANE_PUBLIC_CONTEXT_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kelvane/scene3d/context
        COMPONENT development)
# Of the script language, the script and its host (a program may run a script on a host of its
# own, or play one with StartPlaying); the property paths and the window's frame stay inside.
set(KELVANE_PUBLIC_SCRIPT_HEADERS)
foreach(header Script ScriptHost InputCommands ReplayCommands Player)
  list(APPEND KELVANE_PUBLIC_SCRIPT_HEADERS ${PROJECT_SOURCE_DIR}/shell/script/${header}.h)
endforeach()
install(FILES ${KELVANE_PUBLIC_SCRIPT_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kelvane/shell/script
        COMPONENT development)
# The tools: they link the framework's static libraries, for they use the headless back end,
# the recorder and the frame fingerprints, which the shared library keeps to itself.
install(TARGETS kelvane-rc EXPORT KelvaneTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT development)
install(TARGETS kelvane-form kelvane-style kelvane-headless RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT development)

# find_package(Kelvane 1.0): Kelvane::Kelvane, Kelvane::kelvane-rc and kelvane_add_resources.
set(cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Kelvane)
install(EXPORT KelvaneTargets NAMESPACE Kelvane:: DESTINATION ${cmake_dir} COMPONENT development)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/KelvaneConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/KelvaneConfig.cmake ${CMAKE_BINARY_DIR}/KelvaneConfigVersion.cmake
              ${PROJECT_SOURCE_DIR}/cmake/KelvaneResources.cmake
        DESTINATION ${cmake_dir} COMPONENT development)

# pkg-config --cflags --libs kelvane: the paths relative to the file, so that the prefix may
# be chosen at install time (cmake --install --prefix).
set(pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH KELVANE_PC_TO_PREFIX ${CMAKE_INSTALL_PREFIX}/${pc_dir} ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" KELVANE_PC_TO_PREFIX "${KELVANE_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/kelvane.pc.in ${CMAKE_BINARY_DIR}/kelvane.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/kelvane.pc DESTINATION ${pc_dir} COMPONENT development)

# The Debian packages, one a component: their dependencies are the packages of the shared
# libraries that their files link, as dpkg-shlibdeps finds them.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game runtime development)
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${PROJECT_NAME})
# Each package's description starts with its own summary line. CPack would put a project-wide
# CPACK_PACKAGE_DESCRIPTION_SUMMARY above every one of them (the library's packages then called
# themselves a torpedo game), so the game's summary is a variable of our own.
set(kelvane_game_summary "small 3D torpedo game for the desktop")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Aim a torpedo across a flat 3D sea with a slider, fire it with Start and hit the red\n"
       "ship that crosses the sea. There is no score and no end; close the window to stop.")
set(CPACK_DEBIAN_GAME_PACKAGE_NAME kelvane)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libkelvane${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
string(CONCAT CPACK_DEBIAN_RUNTIME_DESCRIPTION "Kelvane application framework (shared library)\n"
    "A small framework for desktop programs with forms, styled controls and a retained 3D scene\n"
    "over OpenGL, on SDL2. This package holds the shared library that programs built on it use.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libkelvane-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
string(CONCAT CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "Kelvane application framework (development files)\n"
    "The headers, CMake package and pkg-config module to build programs on the Kelvane\n"
    "framework, its resource compiler (kelvane-rc), the form and style tools (kelvane-form,\n"
    "kelvane-style), the headless driver (kelvane-headless) and the API reference.")
set(CPACK_DEBIAN_GAME_DESCRIPTION "${kelvane_game_summary}\n${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kelvane developers")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The library's (it draws the text and opens the windows), loaded at run time where
# dpkg-shlibdeps cannot see them: Mesa's EGL drivers (the software device too), and the plugin
# that draws the window's title bar and frame on Wayland desktops whose compositor leaves
# decorations to the program (SDL's libdecor falls back on none). The font the window's text
# is drawn with (the one the tests draw with): fontconfig finds no other on a minimal system,
# and the button's caption would be blank.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "libgl1-mesa-dri, libdecor-0-plugin-1-cairo")
# The library's shlibs file, which dpkg-shlibdeps reads for the game and for programs packaged
# on top of it; and the ldconfig trigger.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg-shlibdeps finds libkelvane.so.1 in the build, not in a package: each of the other two
# names the library package of this very version.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR})
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "libkelvane${PROJECT_VERSION_MAJOR} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libkelvane${PROJECT_VERSION_MAJOR} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
