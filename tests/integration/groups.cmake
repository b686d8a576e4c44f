# The collective and government payers of the loaded plug-in against the simulator.
velmor_add_test(NAME integration_groups
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/groups_test.cpp ${CMAKE_CURRENT_LIST_DIR}/groups_store_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/groups_items_test.cpp
  LIBS velmor_host velmor_taxsim PkgConfig::LIBZIP PkgConfig::XLSXWRITER)
