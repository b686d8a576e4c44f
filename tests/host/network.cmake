# The host's network side: the network interface against the simulator.
velmor_add_test(NAME host_net
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/net_comm_test.cpp ${CMAKE_CURRENT_LIST_DIR}/net_batch_async_test.cpp
  LIBS velmor_host velmor_taxsim)

# The host's HTTP(S) client against loopback HTTPS servers with a certificate made at set-up.
velmor_add_test(NAME host_https
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_client_test.cpp
  LIBS velmor_host PkgConfig::HTTPLIB)
