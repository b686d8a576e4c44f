# The spreadsheet workbook engine: XLSX reading (libzip + pugixml), XLS reading (freexl), XLSX
# writing (libxlsxwriter).
# The engine proper (all but xls_util.cpp, which reports through the plug-in's registry) is also
# compiled into the command line, which writes its demo's workbooks with it.
set(VELMOR_WORKBOOK_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cell_ref.cpp
  ${CMAKE_CURRENT_LIST_DIR}/collation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/date_serial.cpp
  ${CMAKE_CURRENT_LIST_DIR}/number_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/workbook_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xls_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xlsx_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xlsx_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xlsx_xml.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_part_source.cpp
)
set_property(GLOBAL PROPERTY VELMOR_WORKBOOK_ENGINE_SOURCES ${VELMOR_WORKBOOK_ENGINE_SOURCES})
target_sources(velmor_plugin_objects PRIVATE ${VELMOR_WORKBOOK_ENGINE_SOURCES} ${CMAKE_CURRENT_LIST_DIR}/xls_util.cpp)
target_link_libraries(velmor_plugin_objects PUBLIC PkgConfig::LIBZIP pugixml::pugixml PkgConfig::FREEXL PkgConfig::XLSXWRITER)
