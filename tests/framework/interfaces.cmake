# Interfaces of include/velmor/ keep their destructor protected: objects die through Release, so
# `delete` on an interface pointer must not compile. The interfaces are read from the headers, so
# a new one is checked without a list to update; the generated file static_asserts each.
file(GLOB interface_headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/include/velmor/*.h)
# An interface added to an existing header is picked up too: editing a header reconfigures.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${interface_headers})
set(includes "")
set(checks "")
set(count 0)
foreach(header IN LISTS interface_headers)
  file(STRINGS ${header} declarations REGEX "^class I[A-Za-z0-9_]+( final)? *(:|{)")
  foreach(line IN LISTS declarations)
    string(REGEX REPLACE "^class (I[A-Za-z0-9_]+).*$" "\\1" name "${line}")
    string(APPEND checks "static_assert(!std::is_destructible_v<velmor::${name}>, \"${name}: destructor must be protected\");\n")
    math(EXPR count "${count} + 1")
  endforeach()
  get_filename_component(file ${header} NAME)
  string(APPEND includes "#include \"velmor/${file}\"\n")
endforeach()
set(generated ${CMAKE_CURRENT_BINARY_DIR}/interface_destructors.cpp)
file(WRITE ${generated}.new "// Generated from include/velmor/ by tests/framework/interfaces.cmake.\n#include <type_traits>\n\n${includes}\n${checks}\nnamespace velmor::testing {\nextern const int kCheckedInterfaces = ${count};\n}\n")
# Copied only when changed, so a configure run does not rebuild the test.
configure_file(${generated}.new ${generated} COPYONLY)
velmor_add_test(NAME interfaces SOURCES ${CMAKE_CURRENT_LIST_DIR}/interfaces_test.cpp ${generated} LIBS velmor_platform)
