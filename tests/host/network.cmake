# The host's network side: the network interface against the simulator.
velmor_add_test(NAME host_net
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_comm_test.cpp ${CMAKE_CURRENT_LIST_DIR}/net_batch_async_test.cpp
  LIBS velmor_host velmor_taxsim)
