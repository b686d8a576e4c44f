# The call helper every service uses for its server operations: the operation rows, synchronous
# exchanges, asynchronous jobs, submit/collect, and JSON <-> taxML.
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/taxml_json.cpp
  ${CMAKE_CURRENT_LIST_DIR}/async_jobs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/async_exchange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ybgrzhdj_query.cpp
)
