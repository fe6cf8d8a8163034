# libkelvane.so.1: the framework as one shared library, the game and any program built on the
# framework link it (Kelvane::Kelvane, also the name of the installed imported target). It is
# made of the framework's static libraries, whole, with the SDL platform installed when it is
# loaded and the built-in styles embedded. Only declarations marked KELVANE_API are exported
# (the tree is built with hidden visibility); the back ends, the GL device and the stream's
# helpers stay inside. The SONAME carries the major version: a program built against 1.x
# refuses to load against 2.x instead of failing later.
set(kelvane_framework_libraries kelvane_core kelvane_stream kelvane_canvas kelvane_layout kelvane_forms kelvane_app
    kelvane_controls kelvane_styles kelvane_platform kelvane_platform_sdl kelvane_scene3d kelvane_script)
add_library(kelvane_shared SHARED $<TARGET_OBJECTS:kelvane_platform_sdl_default>)
set(whole)
foreach(lib IN LISTS kelvane_framework_libraries)
  list(APPEND whole $<TARGET_FILE:${lib}>)
endforeach()
# The archives whole, then again as targets for what they link (Cairo, Pango, SDL2, EGL, ...).
target_link_libraries(kelvane_shared PRIVATE -Wl,--whole-archive ${whole} -Wl,--no-whole-archive
                      ${kelvane_framework_libraries})
add_dependencies(kelvane_shared ${kelvane_framework_libraries})
if(NOT KELVANE_SANITIZE AND NOT KELVANE_TSAN AND NOT KELVANE_FUZZ)
  # Every symbol resolved in the library itself or the libraries it names.
  target_link_options(kelvane_shared PRIVATE -Wl,--no-undefined)
endif()
kelvane_add_resources(kelvane_shared ${kelvane_style_resources})
target_include_directories(kelvane_shared INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                                    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/kelvane>)
target_compile_features(kelvane_shared INTERFACE cxx_std_20)
set_target_properties(kelvane_shared PROPERTIES
  OUTPUT_NAME kelvane
  EXPORT_NAME Kelvane
  VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}
  SOVERSION ${PROJECT_VERSION_MAJOR})
add_library(Kelvane::Kelvane ALIAS kelvane_shared)
