# Install rules (layout in VelmorLayout.cmake): the two programs, the plug-in, the platform
# library with its headers, the CMake package and the pkg-config file for host developers, data
# files, documentation and manual pages. `cmake --install build --prefix DIR` or `make install`.
include(CMakePackageConfigHelpers)

# The plug-in lives one folder below the platform library it needs.
set_target_properties(VelmorService PROPERTIES INSTALL_RPATH "$ORIGIN/..")
set_target_properties(velmor_platform PROPERTIES EXPORT_NAME platform)

install(TARGETS velmor velmor-taxsim RUNTIME DESTINATION ${VELMOR_INSTALL_BINDIR})
install(TARGETS velmor_platform EXPORT VelmorTargets
  LIBRARY DESTINATION ${VELMOR_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${VELMOR_INSTALL_INCLUDEDIR})
install(TARGETS VelmorService LIBRARY DESTINATION ${VELMOR_INSTALL_PLUGINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/velmor DESTINATION ${VELMOR_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(FILES ${VELMOR_GENERATED_INCLUDE_DIR}/velmor/version.h DESTINATION ${VELMOR_INSTALL_INCLUDEDIR}/velmor)

# The CMake package: Velmor::platform, and Velmor::plugin / Velmor_PLUGIN for the plug-in's path.
install(EXPORT VelmorTargets NAMESPACE Velmor:: DESTINATION ${VELMOR_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VelmorConfig.cmake.in
  ${PROJECT_BINARY_DIR}/package/VelmorConfig.cmake
  INSTALL_DESTINATION ${VELMOR_INSTALL_CMAKEDIR}
  PATH_VARS VELMOR_INSTALL_PLUGINDIR)
# The ABI may change with every minor release before 1.0 (see VelmorVersion.cmake).
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(_velmor_compatibility SameMinorVersion)
else()
  set(_velmor_compatibility SameMajorVersion)
endif()
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/VelmorConfigVersion.cmake
  COMPATIBILITY ${_velmor_compatibility})
install(FILES ${PROJECT_BINARY_DIR}/package/VelmorConfig.cmake ${PROJECT_BINARY_DIR}/package/VelmorConfigVersion.cmake
  DESTINATION ${VELMOR_INSTALL_CMAKEDIR})

# The pkg-config file finds its prefix from its own place, so an installed tree can be moved.
configure_file(${CMAKE_CURRENT_LIST_DIR}/velmor.pc.in ${PROJECT_BINARY_DIR}/package/velmor.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/velmor.pc DESTINATION ${VELMOR_INSTALL_PKGCONFIGDIR})

# Data files and templates that `velmor init` puts into a data directory: the whole data/ folder,
# so that new files need no edit here.
if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/data)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${VELMOR_INSTALL_DATADIR})
endif()

# Bash completion, when the command line's source tree provides one.
if(EXISTS ${PROJECT_SOURCE_DIR}/cli/completion/velmor.bash)
  install(FILES ${PROJECT_SOURCE_DIR}/cli/completion/velmor.bash
    DESTINATION share/bash-completion/completions RENAME velmor)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${VELMOR_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${VELMOR_INSTALL_DOCDIR} FILES_MATCHING PATTERN "*.md")
install(FILES ${PROJECT_SOURCE_DIR}/examples/declaration.json DESTINATION ${VELMOR_INSTALL_DOCDIR}/examples)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/host DESTINATION ${VELMOR_INSTALL_DOCDIR}/examples)

include(VelmorManPages)
