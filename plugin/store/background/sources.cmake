# Background work of the local store: the asynchronous SQL writers, the persistent task queue
# with its worker thread and task file, the module's thread base, reaper and call pool.
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/host_thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ep_thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thread_reaper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/async_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bulk_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/asyn_exec_sql.cpp
  ${CMAKE_CURRENT_LIST_DIR}/base_asyn_exec_sql.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ini_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bg_task.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bg_task_queue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/worker_thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bg_task_service.cpp
)
