target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/business_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/date_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/date_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/debug_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/number_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prop_value.cpp
  ${CMAKE_CURRENT_LIST_DIR}/type_info.cpp
)
