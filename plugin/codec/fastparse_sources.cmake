# The fast XML document, the fast JSON reader and the strict JSON cursor.
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fast_json.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fast_json_records.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_cursor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_members.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_row_members.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_object_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_out.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_arena.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_list_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_node.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_writer.cpp
)
