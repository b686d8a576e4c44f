# Residents' insurance: the scheme-account manager (TXnhMgr) and its store (TXnhDAO).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/xnh_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xnh_dao_save.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xnh_parse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xnh_mgr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xnh_mgr_pass.cpp
)
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jdczbg_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jdczbg_service.cpp
)
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jfdj_items.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfdj_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfdj_journal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cxjmjfdjxxgl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cxjmjfdjxxgl_exchange.cpp
)
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jcxx_families.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cxjmjcxxcj.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cxjmjcxxcj_exchange.cpp
)
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cxjmxnhzjqkcx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cxjmxnhzjqkcx_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ybgrzhdj.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ybgrzhdj_download.cpp
)
