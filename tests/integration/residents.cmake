# The residents' services (street changes, payment registration, basic information) of the
# loaded plug-in against the simulator.
velmor_add_test(NAME integration_residents
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/street_change_test.cpp ${CMAKE_CURRENT_LIST_DIR}/registration_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/basic_info_test.cpp
  LIBS velmor_host velmor_taxsim)
