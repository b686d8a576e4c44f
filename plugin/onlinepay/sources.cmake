# Individual online payment: the enciphered bank key, the bank channel, TGrsbfjn and its store
# (docs/onlinepay.md).
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/key_envelope.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bank_channel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grsbfjn_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grsbfjn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grsbfjn_bank.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grsbfjn_server.cpp
)
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/hn_grsbfjn_dao.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hn_grsbfjn.cpp
)
