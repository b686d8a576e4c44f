# `velmor param` and `velmor codename`, run as a user would.
velmor_add_test(NAME cli_store SOURCES ${CMAKE_CURRENT_LIST_DIR}/store_cli_test.cpp LIBS velmor_host)
add_dependencies(test_cli_store velmor)
