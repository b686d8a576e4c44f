# The scheme manager and the employee service of the loaded plug-in against the simulator.
velmor_add_test(NAME integration_scheme
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/scheme_test.cpp ${CMAKE_CURRENT_LIST_DIR}/roster_download_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/wbry_name_test.cpp ${CMAKE_CURRENT_LIST_DIR}/roster_faults_test.cpp
  LIBS velmor_host velmor_taxsim)
# The roster's workbooks (imports, exports) and the unpaid list through the loaded plug-in.
velmor_add_test(NAME integration_roster_workbooks
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/roster_workbook_test.cpp
  LIBS velmor_host velmor_taxsim velmor_plugin_objects)
