# Residents' insurance: the scheme-account manager (TXnhMgr) and its store (TXnhDAO).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/xnh_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xnh_dao_save.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xnh_parse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xnh_mgr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xnh_mgr_pass.cpp
)
