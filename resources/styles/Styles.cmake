# The built-in styles. For each, kelvane-style-build (kelvane-style without the built-in styles) draws the artwork (PNG files at the scales 1.0,
# 1.5 and 2.0), then packs the style source with it into the indexed style format and checks
# the result; the build fails when a source does not pack. The packed files become the raw-data
# resources WIN10STYLE, WIN8STYLE and WIN7STYLE (appended to kelvane_resource_files, and as
# NAME FILE pairs to kelvane_style_resources for the shared library).
set(kelvane_styles_out ${CMAKE_BINARY_DIR}/kelvane_styles)
set(kelvane_style_resources)
file(MAKE_DIRECTORY ${kelvane_styles_out})
foreach(style win10 win8 win7)
  string(TOUPPER ${style} upper)
  string(SUBSTRING ${upper} 0 1 first)
  string(SUBSTRING ${style} 1 -1 rest)
  set(source ${PROJECT_SOURCE_DIR}/resources/styles/${first}${rest}.txt)
  set(art_dir ${kelvane_styles_out}/${style})
  set(images)
  foreach(scale 1.0 1.5 2.0)
    list(APPEND images ${art_dir}/${style}-style-${scale}.png)
    if(NOT style STREQUAL "win7")
      list(APPEND images ${art_dir}/${style}-rings-${scale}.png)
    endif()
  endforeach()
  add_custom_command(OUTPUT ${images}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${art_dir}
    COMMAND kelvane-style-build art ${style} ${art_dir}
    DEPENDS kelvane-style-build
    COMMENT "Drawing the ${style} style's artwork"
    VERBATIM)
  set(packed ${kelvane_styles_out}/${upper}STYLE.style)
  add_custom_command(OUTPUT ${packed}
    COMMAND kelvane-style-build pack ${source} ${packed} ${art_dir}
    DEPENDS kelvane-style-build ${source} ${images}
    COMMENT "Packing the ${style} style"
    VERBATIM)
  list(APPEND kelvane_resource_files "${upper}STYLE=RCDATA=${packed}")
  list(APPEND kelvane_style_resources ${upper}STYLE ${packed})
endforeach()
