brdl_test(controls_tests ${CMAKE_CURRENT_LIST_DIR}/hyperlink_test.cpp)
