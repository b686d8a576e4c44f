# Payment: the payment store (TPaymentDAO) and the payment manager (TPaymentMgr).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/line_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_dao_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/selected_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_dao_reads.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_dao_writes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_download.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_mgr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/arrears_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_arrears.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_deduction.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_vouchers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_queries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_notices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_voucher_sync.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_seal.cpp
)
