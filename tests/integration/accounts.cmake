# The scheme account's collection status and the medical-insurance personal account
# registrations of the loaded plug-in against the simulator.
velmor_add_test(NAME integration_accounts
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/collection_status_test.cpp ${CMAKE_CURRENT_LIST_DIR}/medical_accounts_test.cpp
  LIBS velmor_host velmor_taxsim velmor_plugin_objects)
