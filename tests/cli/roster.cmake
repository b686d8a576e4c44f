# `velmor scheme` and `velmor roster`, run as a user would, against the in-process simulator.
velmor_add_test(NAME cli_roster SOURCES ${CMAKE_CURRENT_LIST_DIR}/roster_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_roster velmor)
velmor_add_test(NAME cli_long_command SOURCES ${CMAKE_CURRENT_LIST_DIR}/long_command_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_long_command velmor)
