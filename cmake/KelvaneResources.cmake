# kelvane_add_resources(TARGET NAME FILE [NAME FILE]...)
#
# Embeds files in TARGET (a program or a library) as resources of type RCDATA under the given
# names; they are registered before main, where Application->CreateForm and FindResource find
# them. At build time the resource compiler (kelvane-rc) compiles a text form to its binary
# stream, checks a binary form, and takes any other file as it is; a form that does not
# compile fails the build with "FILE:LINE: what". A FILE that does not exist fails at configure
# time. A relative FILE is taken from the current source folder.
#
# A form is loaded by the name of its class in upper case: the form of TForm1 is "TFORM1".
#
#   kelvane_add_resources(hello THELLOFORM HelloForm.txt MAINICON icon.png)
#
# Shipped with the installed framework (find_package(Kelvane)); the framework's own tree uses
# it for the game and the shared library.
function(kelvane_add_resources target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "kelvane_add_resources: ${target} is not a target")
  endif()
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR odd "${count} % 2")
  if(count EQUAL 0 OR odd)
    message(FATAL_ERROR "kelvane_add_resources(${target} ...): give the resources as NAME FILE pairs")
  endif()
  # The installed compiler, or (in the framework's own tree, its examples' projects too) the one
  # the tree builds.
  if(TARGET Kelvane::kelvane-rc)
    set(rc Kelvane::kelvane-rc)
  elseif(CMAKE_PROJECT_NAME STREQUAL "Kelvane")
    set(rc kelvane-rc)
  else()
    message(FATAL_ERROR "kelvane_add_resources: no resource compiler (kelvane-rc); find_package(Kelvane) first")
  endif()
  # One generated source per call, so that a target may call it more than once.
  get_property(calls TARGET ${target} PROPERTY KELVANE_RESOURCE_CALLS)
  if(NOT calls)
    set(calls 0)
  endif()
  math(EXPR calls "${calls} + 1")
  set_property(TARGET ${target} PROPERTY KELVANE_RESOURCE_CALLS ${calls})
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources/Resources${calls}.cpp)

  set(args)
  set(files)
  while(pairs)
    list(POP_FRONT pairs name file)
    cmake_path(ABSOLUTE_PATH file BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE OUTPUT_VARIABLE path)
    get_source_file_property(generated ${path} GENERATED)
    if(NOT EXISTS ${path} AND NOT generated)
      message(FATAL_ERROR "kelvane_add_resources(${target}): ${path}: no such file (resource ${name})")
    endif()
    list(APPEND args ${name} ${path})
    list(APPEND files ${path})
  endwhile()
  add_custom_command(OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources
    COMMAND ${rc} resources ${source} ${args}
    DEPENDS ${rc} ${files}
    COMMENT "Compiling the resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${source})
endfunction()
