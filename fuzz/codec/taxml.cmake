# The plug-in's reading of server answers (taxML responses) on arbitrary input.
velmor_add_fuzzer(NAME taxml_response SOURCES ${CMAKE_CURRENT_LIST_DIR}/taxml_response_fuzz.cpp
  LIBS velmor_plugin_objects)
