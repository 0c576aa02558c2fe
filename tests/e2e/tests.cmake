# End to end: the built brdl.exe started as a user starts it, in a Wine prefix of its own.
add_executable(brdl_e2e ${CMAKE_CURRENT_LIST_DIR}/e2e_test.cpp)
target_link_libraries(brdl_e2e PRIVATE test_support)
target_link_options(brdl_e2e PRIVATE -static)
# The program under test, by its Unix path.
target_compile_definitions(brdl_e2e PRIVATE "BRDL_EXE=\"$<TARGET_FILE:brdl>\"")
add_dependencies(brdl_e2e brdl)
add_test(NAME e2e COMMAND ${CMAKE_CURRENT_LIST_DIR}/fresh-prefix.sh $<TARGET_FILE:brdl_e2e>)
set_tests_properties(e2e PROPERTIES RUN_SERIAL TRUE TIMEOUT 240)
