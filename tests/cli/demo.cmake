# `velmor demo` against the in-process simulator and with its own child server, and the
# declaration it builds from the roster.
velmor_add_test(NAME cli_demo SOURCES ${CMAKE_CURRENT_LIST_DIR}/demo_cli_test.cpp LIBS velmor_host velmor_taxsim)
add_dependencies(test_cli_demo velmor velmor-taxsim)
velmor_add_test(NAME cli_roster_declaration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/roster_declaration_test.cpp ${PROJECT_SOURCE_DIR}/cli/roster_declaration.cpp
  LIBS nlohmann_json::nlohmann_json)
