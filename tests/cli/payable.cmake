# `velmor payable`, run as a user would.
velmor_add_test(NAME cli_payable SOURCES ${CMAKE_CURRENT_LIST_DIR}/payable_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_payable velmor)
