# The host components beside the network: the payment services' seal, preview and home page,
# common functions (dates, amounts in capitals, serials
# from the serial counter), portal agent, return-code messages, system configuration, and their
# registration in the host's factory at start-up.
target_sources(velmor_host PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/chinese_amount.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/date_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_viewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/home_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/group_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/network_components.cpp
  ${CMAKE_CURRENT_LIST_DIR}/payment_components.cpp
  ${CMAKE_CURRENT_LIST_DIR}/portal_agent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/return_code_message.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sbfjn_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/seal_service.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serial_counter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/syspzxx.cpp
)
