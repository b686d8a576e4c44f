# Payable information and the electronic declaration of the loaded plug-in, against the
# simulator on loopback.
velmor_add_test(NAME integration_payable
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/payable_test.cpp ${CMAKE_CURRENT_LIST_DIR}/electronic_declaration_test.cpp
  LIBS velmor_host velmor_taxsim)
