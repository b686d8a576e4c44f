# The project version, used everywhere: the platform library's SONAME, `velmor --version`, the
# generated header velmor/version.h, the CMake package, the pkg-config file and the Debian package.
#
# Before 1.0 every minor release may change the platform library's ABI, so the SONAME carries
# major.minor (libvelmor_platform.so.0.1); from 1.0 on only the major number.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(VELMOR_SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
else()
  set(VELMOR_SOVERSION ${PROJECT_VERSION_MAJOR})
endif()

set(VELMOR_GENERATED_INCLUDE_DIR ${PROJECT_BINARY_DIR}/include)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${VELMOR_GENERATED_INCLUDE_DIR}/velmor/version.h @ONLY)

set_target_properties(velmor_platform PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${VELMOR_SOVERSION})
# Only the programs that print the version see the generated folder, so that every other object
# compiles the same in any build tree (the compiler cache shares them).
target_include_directories(velmor PRIVATE ${VELMOR_GENERATED_INCLUDE_DIR})
if(TARGET velmor-taxsim)
  target_include_directories(velmor-taxsim PRIVATE ${VELMOR_GENERATED_INCLUDE_DIR})
endif()
