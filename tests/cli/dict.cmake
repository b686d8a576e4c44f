# `velmor dict`, run as a user would, against the in-process simulator.
velmor_add_test(NAME cli_dict SOURCES ${CMAKE_CURRENT_LIST_DIR}/dict_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_dict velmor)
