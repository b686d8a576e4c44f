# Payment-detail certificates of the loaded plug-in against the simulator (the error record of
# the caller is the plug-in's own TErrorInfo, linked in).
velmor_add_test(NAME integration_certificates
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/certificates_test.cpp
  LIBS velmor_host velmor_taxsim velmor_plugin_objects)
