# `velmor group`, run as a user would, against the simulator on loopback.
velmor_add_test(NAME cli_group SOURCES ${CMAKE_CURRENT_LIST_DIR}/group_cli_test.cpp LIBS velmor_host velmor_taxsim PkgConfig::XLSXWRITER)
add_dependencies(test_cli_group velmor)
