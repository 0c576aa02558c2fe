# Path helpers, installer and uninstaller, on real folders and a sandboxed registry.
brdl_test(setup_tests
  ${CMAKE_CURRENT_LIST_DIR}/path_utils_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/installer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uninstaller_test.cpp
)
