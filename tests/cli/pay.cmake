# `velmor pay`, run as a user would against the simulator.
velmor_add_test(NAME cli_pay SOURCES ${CMAKE_CURRENT_LIST_DIR}/pay_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_pay velmor)
