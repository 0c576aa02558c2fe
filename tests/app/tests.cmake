brdl_test(app_tests ${CMAKE_CURRENT_LIST_DIR}/resources_test.cpp)
target_link_libraries(app_tests PRIVATE version)
