brdl_test(app_tests ${CMAKE_CURRENT_LIST_DIR}/message_test.cpp)
