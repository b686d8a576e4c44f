# The residents' declaration states (status service, state store, reserved identities) of the
# loaded plug-in against the simulator.
velmor_add_test(NAME integration_residents_status
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/residents_status_test.cpp ${CMAKE_CURRENT_LIST_DIR}/residents_status_two_step_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/rysbzt_dao_test.cpp
  LIBS velmor_host velmor_taxsim)
