# The taxML exchange: request documents, request types, the send sequence, reading answers.
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/taxml_exchange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/taxml_request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/taxml_request_types.cpp
  ${CMAKE_CURRENT_LIST_DIR}/taxml_response.cpp
)
target_link_libraries(velmor_plugin_objects PUBLIC pugixml::pugixml nlohmann_json::nlohmann_json)
