# `velmor residents`, `velmor basic-info` and `velmor street-change` against the in-process simulator.
velmor_add_test(NAME cli_residents SOURCES ${CMAKE_CURRENT_LIST_DIR}/residents_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_residents velmor)
