# The dictionary manager and its code tables; the rule tables are in rules/.
target_sources(velmor_plugin_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/name_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dictionary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/db_dictionary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rule_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dict_mgr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dict_access.cpp
)
target_link_libraries(velmor_plugin_objects PUBLIC nlohmann_json::nlohmann_json)
include(${CMAKE_CURRENT_LIST_DIR}/rules/sources.cmake)
