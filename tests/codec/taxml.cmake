# The taxML exchange's own pieces, without a host: documents, data encoding, bodies, answers.
velmor_add_test(NAME taxml SOURCES ${CMAKE_CURRENT_LIST_DIR}/taxml_request_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/taxml_response_test.cpp ${CMAKE_CURRENT_LIST_DIR}/taxml_request_options_test.cpp
  LIBS velmor_plugin_objects)
