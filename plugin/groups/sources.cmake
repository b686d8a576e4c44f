# Collective and government payers: TBzDjImpl, TJtbzhImpl, TZfdjhImpl (docs/groups.md).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/bzdj_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bzdj_local.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bzdj_sync.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bzdj_declare.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bzdj_records.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bzdj_workbook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bzdj_units.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bzdj_items.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bzdj_item_ops.cpp
)
