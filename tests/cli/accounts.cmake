# `velmor residents collection` and `velmor residents medical-accounts` against the in-process simulator.
velmor_add_test(NAME cli_accounts SOURCES ${CMAKE_CURRENT_LIST_DIR}/accounts_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_accounts velmor)
