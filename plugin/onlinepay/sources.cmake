# Individual online payment: the enciphered bank key (docs/onlinepay.md).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/key_envelope.cpp
)
