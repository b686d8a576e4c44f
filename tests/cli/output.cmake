# The command line's shared output formats and its declaration checks, as units.
velmor_add_test(NAME cli_output
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/output_test.cpp ${PROJECT_SOURCE_DIR}/cli/output.cpp
          ${PROJECT_SOURCE_DIR}/cli/text_table.cpp
  LIBS CLI11::CLI11 nlohmann_json::nlohmann_json)
velmor_add_test(NAME cli_declaration_check
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/declaration_check_test.cpp ${PROJECT_SOURCE_DIR}/cli/declaration_check.cpp
          ${PROJECT_SOURCE_DIR}/cli/output.cpp ${PROJECT_SOURCE_DIR}/cli/text_table.cpp
  LIBS CLI11::CLI11 nlohmann_json::nlohmann_json)
