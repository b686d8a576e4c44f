# `velmor online` and `velmor regional`, run as a user would, against the simulator and the
# simulated bank (keys made at set-up; the key envelope's sealing compiled in to provision them).
velmor_add_test(NAME cli_online
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/online_cli_test.cpp ${PROJECT_SOURCE_DIR}/plugin/onlinepay/key_envelope.cpp
  LIBS velmor_host velmor_taxsim OpenSSL::Crypto)
target_include_directories(test_cli_online PRIVATE ${PROJECT_SOURCE_DIR}/plugin)
add_dependencies(test_cli_online velmor)
