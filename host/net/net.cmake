# The host's network and the components around it. velmor_wire (the envelope codec of
# docs/wire.md) is shared with the simulator.
add_library(velmor_wire STATIC ${CMAKE_CURRENT_LIST_DIR}/wire.cpp)
target_include_directories(velmor_wire PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velmor_wire PUBLIC nlohmann_json::nlohmann_json)

target_sources(velmor_host PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/batch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/chinese_amount.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/date_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_transport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/net_comm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/network_components.cpp
  ${CMAKE_CURRENT_LIST_DIR}/portal_agent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/return_code_message.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serial_counter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/syspzxx.cpp
)
target_link_libraries(velmor_host PUBLIC velmor_wire CURL::libcurl)
