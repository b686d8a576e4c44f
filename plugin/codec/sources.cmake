target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/base64.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_utils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gbk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gzip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rsa_signer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_utils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_set.cpp
)
target_link_libraries(velmor_plugin_objects PUBLIC ZLIB::ZLIB OpenSSL::Crypto)
include(${CMAKE_CURRENT_LIST_DIR}/taxml_sources.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/fastparse_sources.cmake)
target_sources(velmor_plugin_objects PRIVATE ${CMAKE_CURRENT_LIST_DIR}/md5.cpp)
