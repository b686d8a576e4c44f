# The host's network: the envelope, HTTP transport, requests and batches, and NetComm.
# velmor_wire (the envelope codec of docs/wire.md) is shared with the simulator.
add_library(velmor_wire STATIC ${CMAKE_CURRENT_LIST_DIR}/wire.cpp)
target_include_directories(velmor_wire PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velmor_wire PUBLIC nlohmann_json::nlohmann_json)

target_sources(velmor_host PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/batch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_transport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/net_comm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/request.cpp
)
target_link_libraries(velmor_host PUBLIC velmor_wire CURL::libcurl)
