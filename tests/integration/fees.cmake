# The residents' fee services of the loaded plug-in against the simulator.
velmor_add_test(NAME integration_fees
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fees_jfbz_test.cpp ${CMAKE_CURRENT_LIST_DIR}/fees_jfjeqr_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/fees_llxy_test.cpp
  LIBS velmor_host velmor_taxsim)
