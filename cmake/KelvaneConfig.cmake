# The Kelvane framework for find_package(Kelvane 1.0 REQUIRED):
#   Kelvane::Kelvane        the shared library, its include root and the C++ standard it needs
#   Kelvane::kelvane-rc     the resource compiler
#   kelvane_add_resources   embeds forms and files in a target (see KelvaneResources.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/KelvaneTargets.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/KelvaneResources.cmake)
