# The roster: the employee store (TEmployeeDaoImpl) and the bulk processor of roster downloads.
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/sql_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/deal_cbxx_ryxx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registration_doc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_dao_registration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_dao_query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_dao_write.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_dao_save.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_ygcbxx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_cbryxx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_hdsbzt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hdsbzt_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_wbry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_queries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_jfzt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_exchanges.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_sync.cpp
  ${CMAKE_CURRENT_LIST_DIR}/roster_workbook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_import.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_service_export.cpp
)
# Person details and unpaid records (TEmployeeDetailServiceImpl, TEmployeeDetailDaoImpl,
# TEmployeeUnpaidServiceImpl, TEmployeeUnpaidDaoImpl).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/employee_detail_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_detail_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_unpaid_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/employee_unpaid_service.cpp
)
target_link_libraries(velmor_plugin_objects PUBLIC pugixml::pugixml nlohmann_json::nlohmann_json)
