include(${CMAKE_CURRENT_LIST_DIR}/fastparse_sources.cmake)
