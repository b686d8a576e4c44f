# The host's network side: the network interface against the simulator, the common functions
# and the configuration-backed components.
velmor_add_test(NAME host_net
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_comm_test.cpp ${CMAKE_CURRENT_LIST_DIR}/net_batch_async_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/common_functions_test.cpp ${CMAKE_CURRENT_LIST_DIR}/network_components_test.cpp
  LIBS velmor_host velmor_taxsim)
