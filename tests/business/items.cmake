# Item lists, code/name items, query conditions, error information, the data value object and
# the hash table.
velmor_add_test(NAME items
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/code_name_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data_vo_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hash_table_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/items_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/query_error_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../framework/fake_host.cpp
  LIBS velmor_plugin_objects)
