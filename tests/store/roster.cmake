# Background work of the store: the SQL writers, the task queue with its worker and task file,
# the call pool. Also run under ThreadSanitizer (a build with -DVELMOR_TSAN=ON).
velmor_add_test(NAME store_background
  SOURCES store_env.cpp writer_test.cpp ini_file_test.cpp bg_task_test.cpp async_call_test.cpp
  LIBS velmor_plugin_objects)
