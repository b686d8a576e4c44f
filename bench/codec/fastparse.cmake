# The fast XML document against pugixml, the fast JSON reader against simdjson.
if(TARGET simdjson::simdjson)
  add_executable(bench_fastparse
    ${CMAKE_CURRENT_LIST_DIR}/fastparse_bench_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fast_json_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/xml_document_bench.cpp)
  target_link_libraries(bench_fastparse PRIVATE velmor_plugin_objects benchmark::benchmark
    simdjson::simdjson pugixml::pugixml)
else()
  message(STATUS "simdjson not found: bench_fastparse is not built")
endif()
