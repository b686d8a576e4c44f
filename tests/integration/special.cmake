# The special-group declarations of the loaded plug-in against the simulator.
velmor_add_test(NAME integration_special
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/special_test.cpp
  LIBS velmor_host velmor_taxsim)
