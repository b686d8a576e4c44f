# Special-group declarations (TTsJkMgr, TTsrqsbjfDAOImpl).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/tsrqsbjf_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tsjk_mgr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tsjk_declare.cpp
)
