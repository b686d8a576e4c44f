# Tests of the host database (host/db): connections, statements, transactions, datasets, schema
# and migrations, fault injection.
velmor_add_test(NAME hostdb
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/db_test_util.cpp
          ${CMAKE_CURRENT_LIST_DIR}/db_exec_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/db_bound_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/db_row_reader_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/db_dataset_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/db_schema_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/db_text_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/db_pool_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/db_engine_test.cpp
  LIBS velmor_hostdb)
