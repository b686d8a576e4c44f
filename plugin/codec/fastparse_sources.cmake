# The fast XML document and the fast JSON reader.
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fast_json.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fast_json_records.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_arena.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_node.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_writer.cpp
)
