# `velmor fees|confirm|agreement`, run as a user would, against the in-process simulator.
velmor_add_test(NAME cli_fees SOURCES ${CMAKE_CURRENT_LIST_DIR}/fees_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_fees velmor)
