target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/business_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/date_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/date_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/local_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/debug_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/number_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prop_value.cpp
  ${CMAKE_CURRENT_LIST_DIR}/type_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bucket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/code_name_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_vo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/error_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hash_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/internal_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/items.cpp
  ${CMAKE_CURRENT_LIST_DIR}/query_condition.cpp
)
