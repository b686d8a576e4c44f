# `velmor residents status` and `velmor residents states` against the in-process simulator.
velmor_add_test(NAME cli_residents_status SOURCES ${CMAKE_CURRENT_LIST_DIR}/residents_status_cli_test.cpp
  LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_residents_status velmor)
