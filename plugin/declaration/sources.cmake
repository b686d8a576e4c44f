# The daily declaration: its store (TRcsbDAO) and helpers.
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dao_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_dao_person_row.cpp
  ${CMAKE_CURRENT_LIST_DIR}/parsed_declaration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_dao_lookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_dao_save.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_dao_list_save.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_dao_fkssq.cpp
  ${CMAKE_CURRENT_LIST_DIR}/query_sbzb_inf_dao.cpp
)
target_link_libraries(velmor_plugin_objects PUBLIC nlohmann_json::nlohmann_json pugixml::pugixml)
# The daily declaration manager (TRcsbMgr).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/feedback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_mgr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/submission.cpp
)
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_mgr_download.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_mgr_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_mgr_payment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_mgr_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_mgr_forward.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_mgr_second_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_mgr_queries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rcsb_mgr_years.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_json.cpp
)
# Payable information (TYjxxServiceImpl, TYjxxDaoImpl).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/yjxx_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/yjxx_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/yjxx_answer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/yjxx_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/yjxx_export.cpp
)
# The electronic declaration (TDzsbMgr).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dzsb_document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dzsb_mgr.cpp
)
