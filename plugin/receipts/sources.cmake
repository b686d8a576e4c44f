# Payment receipts (TJfpjService, TJfpjDAO).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/jfpj_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfpj_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jfpj_service.cpp
)
# Payment-detail certificates (TShbxfjfmxzm).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/shbxfjfmxzm.cpp
)
