brdl_test(zone_tests
  ${CMAKE_CURRENT_LIST_DIR}/dialog_harness.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fake_zone_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/row_aids_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zone_policy_test.cpp
)
target_link_libraries(zone_tests PRIVATE oleacc oleaut32)
