target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/bucket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/code_name_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_vo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/error_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hash_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/internal_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/items.cpp
  ${CMAKE_CURRENT_LIST_DIR}/query_condition.cpp
)
