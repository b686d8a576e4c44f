# The fast XML document, the fast JSON reader and the JSON cursor. Their sources (and the codecs they use) are
# compiled into each fuzzer so that they carry its coverage instrumentation.
set(fastparse_dir ${PROJECT_SOURCE_DIR}/plugin/codec)
set(fastparse_xml_sources
  ${fastparse_dir}/xml_arena.cpp ${fastparse_dir}/xml_document.cpp ${fastparse_dir}/xml_node.cpp
  ${fastparse_dir}/xml_parser.cpp ${fastparse_dir}/xml_text.cpp ${fastparse_dir}/xml_writer.cpp
  ${fastparse_dir}/gbk.cpp)
set(fastparse_json_sources
  ${fastparse_dir}/fast_json.cpp ${fastparse_dir}/fast_json_records.cpp
  ${fastparse_dir}/base64.cpp ${fastparse_dir}/gzip.cpp)
velmor_add_fuzzer(NAME xml_document
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/xml_document_fuzz.cpp ${fastparse_xml_sources})
velmor_add_fuzzer(NAME fast_json
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fast_json_fuzz.cpp ${fastparse_json_sources}
  LIBS ZLIB::ZLIB)
velmor_add_fuzzer(NAME fast_json_chunks
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fast_json_chunks_fuzz.cpp ${fastparse_json_sources}
  LIBS ZLIB::ZLIB)
velmor_add_fuzzer(NAME json_cursor
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/json_cursor_fuzz.cpp ${fastparse_dir}/json_cursor.cpp)
foreach(f xml_document fast_json fast_json_chunks json_cursor)
  target_include_directories(fuzz_${f} PRIVATE ${PROJECT_SOURCE_DIR}/plugin ${PROJECT_SOURCE_DIR}/include
    ${PROJECT_SOURCE_DIR}/fuzz)
endforeach()
