# The employee service's server operations through the loaded plug-in against the simulator.
velmor_add_test(NAME integration_employee_ops
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/employee_queries_test.cpp ${CMAKE_CURRENT_LIST_DIR}/employee_exchanges_test.cpp
  LIBS velmor_host velmor_taxsim)
