# The tree's resources for the tools, tests and benchmarks, which link the framework's static
# libraries: text forms compiled to binary form streams, and raw files, embedded into an object
# library that they link; each resource registers itself before main. (The game and the shared
# library embed theirs with kelvane_add_resources, cmake/KelvaneResources.cmake.)
#
#   kelvane_resource_library(<target> [FORMS file.txt...] [FILES NAME=TYPE=path...] [DEPENDS ...])
#
# A form is named after its root object's class (upper case). The build fails when a form
# does not compile; the compiler names the file and line. The compiled forms are also left
# in ${CMAKE_BINARY_DIR}/<target>/<stem>.bin (tests and fuzzing seed from them).
function(kelvane_resource_library target)
  cmake_parse_arguments(ARG "" "" "FORMS;FILES;DEPENDS" ${ARGN})
  set(out_dir ${CMAKE_BINARY_DIR}/${target})
  file(MAKE_DIRECTORY ${out_dir})
  set(embed_args)
  set(inputs)
  foreach(form IN LISTS ARG_FORMS)
    get_filename_component(stem ${form} NAME_WE)
    set(bin ${out_dir}/${stem}.bin)
    add_custom_command(OUTPUT ${bin}
      COMMAND kelvane-rc compile ${form} ${bin}
      DEPENDS kelvane-rc ${form}
      COMMENT "Compiling form ${stem}"
      VERBATIM)
    list(APPEND embed_args --form ${bin})
    list(APPEND inputs ${bin})
  endforeach()
  foreach(entry IN LISTS ARG_FILES)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 name)
    list(GET parts 1 type)
    list(GET parts 2 path)
    list(APPEND embed_args --file ${name} ${type} ${path})
    list(APPEND inputs ${path})
  endforeach()
  set(source ${out_dir}/Resources.cpp)
  add_custom_command(OUTPUT ${source}
    COMMAND kelvane-rc embed ${source} ${embed_args}
    DEPENDS kelvane-rc ${inputs} ${ARG_DEPENDS}
    COMMENT "Embedding resources into ${target}"
    VERBATIM)
  # An object library: its objects go into every program that links it, so the registration
  # runs even though nothing refers to it by name.
  add_library(${target} OBJECT ${source})
  target_link_libraries(${target} PUBLIC kelvane_stream)
endfunction()

# The resources of resources/: every *.txt is a form, every other file (but the README) raw data.
file(GLOB kelvane_resource_forms CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.txt)
file(GLOB kelvane_resource_others CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*)
set(kelvane_resource_files)
foreach(path IN LISTS kelvane_resource_others)
  get_filename_component(file_name ${path} NAME)
  get_filename_component(ext ${path} LAST_EXT)
  if(IS_DIRECTORY ${path} OR ext STREQUAL ".txt" OR file_name STREQUAL "README.md" OR file_name MATCHES "^\\.")
    continue()
  endif()
  get_filename_component(stem ${path} NAME_WE)
  string(TOUPPER ${stem} name)
  list(APPEND kelvane_resource_files "${name}=RCDATA=${path}")
endforeach()
# The styles are built from their sources in resources/styles.
include(${PROJECT_SOURCE_DIR}/resources/styles/Styles.cmake)
kelvane_resource_library(kelvane_resources FORMS ${kelvane_resource_forms} FILES ${kelvane_resource_files})
