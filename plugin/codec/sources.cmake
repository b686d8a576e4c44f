target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/base64.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gzip.cpp
)
target_link_libraries(velmor_plugin_objects PUBLIC ZLIB::ZLIB OpenSSL::Crypto)
