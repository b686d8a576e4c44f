# Background work of the store: the SQL writers, the task queue with its worker and task file,
# the call pool. Also run under ThreadSanitizer (a build with -DVELMOR_TSAN=ON).
velmor_add_test(NAME store_background
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/../store_env.cpp ${CMAKE_CURRENT_LIST_DIR}/writer_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ini_file_test.cpp ${CMAKE_CURRENT_LIST_DIR}/bg_task_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/async_call_test.cpp ${CMAKE_CURRENT_LIST_DIR}/bulk_rows_test.cpp
  LIBS velmor_plugin_objects)
target_include_directories(test_store_background PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
