# The host's network: the envelope, HTTP transport, requests and batches, and NetComm.
# velmor_wire (the envelope codec of docs/wire.md) is shared with the simulator.
# It reads large envelopes with the plug-in's strict JSON cursor (a pure codec, no plug-in state).
add_library(velmor_wire STATIC ${CMAKE_CURRENT_LIST_DIR}/wire.cpp ${PROJECT_SOURCE_DIR}/plugin/codec/json_cursor.cpp)
target_include_directories(velmor_wire PUBLIC ${PROJECT_SOURCE_DIR}
                           PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/plugin)
target_link_libraries(velmor_wire PUBLIC nlohmann_json::nlohmann_json)

target_sources(velmor_host PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/batch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_transport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/net_comm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/request.cpp
)
target_link_libraries(velmor_host PUBLIC velmor_wire CURL::libcurl)
