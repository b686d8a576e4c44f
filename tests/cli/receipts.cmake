# `velmor receipts`, `velmor special` and `velmor certificate`, run as a user would.
velmor_add_test(NAME cli_receipts SOURCES ${CMAKE_CURRENT_LIST_DIR}/receipts_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_receipts velmor)
