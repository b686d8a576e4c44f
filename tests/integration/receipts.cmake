# Payment receipts of the loaded plug-in: office-made workbooks imported through the exports.
velmor_add_test(NAME integration_receipts
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/receipts_test.cpp
  LIBS velmor_host velmor_plugin_objects)
