# The taxML exchange end to end: the plug-in's exchange code in a started reference host against
# the simulator on loopback, and the programs as people run them.
velmor_add_test(NAME integration_net
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/taxml_exchange_test.cpp ${CMAKE_CURRENT_LIST_DIR}/taxml_batch_async_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/network_program_test.cpp
  LIBS velmor_plugin_objects velmor_host velmor_taxsim)
add_dependencies(test_integration_net velmor velmor-taxsim)
