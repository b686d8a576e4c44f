# `velmor demo`: both days with its own child server and bank (its report workbook read back with
# the workbook engine), the employer's day against the in-process simulator, and the declaration
# it builds from the roster.
velmor_add_test(NAME cli_demo SOURCES ${CMAKE_CURRENT_LIST_DIR}/demo_cli_test.cpp
  LIBS velmor_host velmor_taxsim velmor_plugin_objects)
add_dependencies(test_cli_demo velmor velmor-taxsim)
velmor_add_test(NAME cli_roster_declaration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/roster_declaration_test.cpp ${PROJECT_SOURCE_DIR}/cli/roster_declaration.cpp
    ${PROJECT_SOURCE_DIR}/plugin/codec/json_cursor.cpp ${PROJECT_SOURCE_DIR}/plugin/codec/json_out.cpp
  LIBS nlohmann_json::nlohmann_json)
target_include_directories(test_cli_roster_declaration PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/plugin)
velmor_add_test(NAME cli_arrears_split
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/arrears_split_test.cpp ${PROJECT_SOURCE_DIR}/cli/demo/arrears_split.cpp
    ${PROJECT_SOURCE_DIR}/cli/json_rows.cpp
    ${PROJECT_SOURCE_DIR}/plugin/codec/json_cursor.cpp
  LIBS nlohmann_json::nlohmann_json)
target_include_directories(test_cli_arrears_split PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/plugin)
# The demo declaration's rows through the store's query service against the update view, on a
# roster downloaded by the loaded plug-in from the simulator.
velmor_add_test(NAME cli_declaration_rows
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/declaration_rows_test.cpp ${PROJECT_SOURCE_DIR}/cli/declaration_rows.cpp
    ${PROJECT_SOURCE_DIR}/cli/roster_declaration.cpp ${PROJECT_SOURCE_DIR}/plugin/codec/json_cursor.cpp
    ${PROJECT_SOURCE_DIR}/plugin/codec/json_out.cpp ${PROJECT_SOURCE_DIR}/plugin/store/sql.cpp
    ${PROJECT_SOURCE_DIR}/plugin/store/store_behind.cpp ${PROJECT_SOURCE_DIR}/plugin/framework/format.cpp
  LIBS velmor_host velmor_taxsim)
target_include_directories(test_cli_declaration_rows PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/plugin
  ${PROJECT_SOURCE_DIR}/tests/integration)
