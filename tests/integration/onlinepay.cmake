# Individual online payment of the loaded plug-in: the bank channel against the simulated bank
# over HTTPS (keys and certificate made at set-up), the tax-server orders against the simulator.
# The key envelope's sealing is compiled in to provision the enciphered key file.
velmor_add_test(NAME integration_onlinepay
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/onlinepay_bank_test.cpp ${CMAKE_CURRENT_LIST_DIR}/onlinepay_faults_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/onlinepay_server_test.cpp ${CMAKE_CURRENT_LIST_DIR}/onlinepay_regional_test.cpp
          ${PROJECT_SOURCE_DIR}/plugin/onlinepay/key_envelope.cpp
  LIBS velmor_host velmor_taxsim OpenSSL::Crypto)
target_include_directories(test_integration_onlinepay PRIVATE ${PROJECT_SOURCE_DIR}/plugin)
