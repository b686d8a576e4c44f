# `velmor declare`, run as a user would, against the simulator on loopback.
velmor_add_test(NAME cli_declare SOURCES ${CMAKE_CURRENT_LIST_DIR}/declare_cli_test.cpp
  LIBS velmor_host velmor_taxsim PkgConfig::LIBZIP)
add_dependencies(test_cli_declare velmor)
velmor_add_test(NAME cli_failure SOURCES ${CMAKE_CURRENT_LIST_DIR}/failure_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_failure velmor)
