# The local store: the SQL toolkit every store uses, the code/name store and the system
# parameters (store and cached service).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/sql.cpp
  ${CMAKE_CURRENT_LIST_DIR}/base_pack_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_filters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/row_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/paging.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_access.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_toolkit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/row_reading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bound_sql.cpp
  ${CMAKE_CURRENT_LIST_DIR}/row_pipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/store_behind.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mark_sweep.cpp
  ${CMAKE_CURRENT_LIST_DIR}/code_name_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sys_param_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/param_cache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sys_param.cpp
)
target_link_libraries(velmor_plugin_objects PUBLIC nlohmann_json::nlohmann_json)
include(${CMAKE_CURRENT_LIST_DIR}/background/sources.cmake)
