# The API reference: Doxygen over the installed headers (docs/api/Doxyfile.in), then a check
# that every class in it has a comment. Part of the release build when Doxygen is there (CI
# installs it), so that `cmake --install` installs it with the SDK; `--target docs` alone
# makes it too.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  message(STATUS "Doxygen not found: no API reference (target docs)")
  return()
endif()
set(KELVANE_DOCS_DIR ${CMAKE_BINARY_DIR}/docs/api)
set(KELVANE_DOCS_INPUT)
foreach(dir IN LISTS KELVANE_PUBLIC_HEADER_DIRS)
  string(APPEND KELVANE_DOCS_INPUT " ${PROJECT_SOURCE_DIR}/${dir}")
endforeach()
foreach(header IN LISTS KELVANE_PUBLIC_CONTEXT_HEADERS KELVANE_PUBLIC_SCRIPT_HEADERS)
  string(APPEND KELVANE_DOCS_INPUT " ${header}")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/docs/api/Doxyfile.in ${KELVANE_DOCS_DIR}/Doxyfile @ONLY)
file(GLOB_RECURSE docs_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/shell/*.h ${PROJECT_SOURCE_DIR}/scene3d/*.h)
set(docs_stamp ${KELVANE_DOCS_DIR}/html/index.html)
set(docs_all)
if(NOT KELVANE_SANITIZE AND NOT KELVANE_TSAN AND NOT KELVANE_FUZZ)
  set(docs_all ALL)
endif()
add_custom_command(OUTPUT ${docs_stamp}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KELVANE_DOCS_DIR}/html ${KELVANE_DOCS_DIR}/xml
  COMMAND Doxygen::doxygen ${KELVANE_DOCS_DIR}/Doxyfile
  COMMAND ${PROJECT_SOURCE_DIR}/docs/api/check-classes ${KELVANE_DOCS_DIR}/xml
  DEPENDS ${docs_headers} ${PROJECT_SOURCE_DIR}/docs/api/Doxyfile.in ${PROJECT_SOURCE_DIR}/docs/api/check-classes
  WORKING_DIRECTORY ${KELVANE_DOCS_DIR}
  COMMENT "Making the API reference"
  VERBATIM)
add_custom_target(docs ${docs_all} DEPENDS ${docs_stamp})
install(DIRECTORY ${KELVANE_DOCS_DIR}/html/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/api COMPONENT development OPTIONAL)
