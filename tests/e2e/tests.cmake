# End-to-end: a driver of our own starts the built brdl.exe in the test prefix
# as a user would and works its windows; it needs no doctest and no product code.
add_executable(brdl_e2e
  e2e/main.cpp
  e2e/product.cpp
  e2e/system_state.cpp
  e2e/cases_startup.cpp
  e2e/cases_install.cpp
  e2e/cases_uninstall.cpp
)
target_include_directories(brdl_e2e PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
# The program under test, by its Unix path (the driver turns it into Z:\...).
target_compile_definitions(brdl_e2e PRIVATE "BRDL_EXE=\"$<TARGET_FILE:brdl>\"")
target_link_libraries(brdl_e2e PRIVATE shell32 advapi32 user32 kernel32)
target_link_options(brdl_e2e PRIVATE -static)
add_dependencies(brdl_e2e brdl)
add_test(NAME e2e COMMAND brdl_e2e)
# It starts the program and owns the prefix's Brindle keys and folders meanwhile.
set_tests_properties(e2e PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)
