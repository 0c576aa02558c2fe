brdl_test(controls_tests ${CMAKE_CURRENT_LIST_DIR}/check_list_box_test.cpp)
