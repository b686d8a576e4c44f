# The host components beside the network: the common functions and the configuration-backed
# components with their registration at start-up, and the home-page window.
velmor_add_test(NAME host_components
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/common_functions_test.cpp ${CMAKE_CURRENT_LIST_DIR}/network_components_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/home_page_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/group_store_test.cpp
  LIBS velmor_host velmor_taxsim)
