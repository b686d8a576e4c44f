# Payment of residents' fees: the fee standards (TJfbzImpl, TJfbzDAOImpl).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jfbz_rule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfbz_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfbz_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfbz_grades.cpp
)
# Amount confirmation and personal payment agreements (TJfjeqrService, TJfjeqrDAOImpl).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jfjeqr_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfjeqr_dao_xy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfjeqr_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfjeqr_agreements.cpp
)
# Two-party payment agreements (TLlxyServiceImpl).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/difference_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/llxy_service.cpp
)
