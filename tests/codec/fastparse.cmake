velmor_add_test(NAME fastparse
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/fast_json_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/json_cursor_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/json_object_reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/json_row_members_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/xml_document_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/xml_list_reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/xml_tree_test.cpp
  LIBS velmor_plugin_objects)
