# The host's network and the components around it. velmor_wire (the envelope codec of
# docs/wire.md) is shared with the simulator.
add_library(velmor_wire STATIC ${CMAKE_CURRENT_LIST_DIR}/wire.cpp)
target_include_directories(velmor_wire PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velmor_wire PUBLIC nlohmann_json::nlohmann_json)
