# The Debian package: `cpack` in a configured tree, or `make package` for a release build.
#
# The package installs under /usr (layout in VelmorLayout.cmake). Its dependencies are computed by
# dpkg-shlibdeps from the libraries the binaries actually link, so they cannot drift from the
# build. Binaries are stripped; their debug information goes to a separate velmor-dbgsym package
# (.ddeb) whose files the debugger finds by build id under /usr/lib/debug/.build-id/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmor)
set(CPACK_PACKAGE_VENDOR "Velmor")
set(VELMOR_PACKAGE_MAINTAINER "Velmor team <team@velmor.invalid>" CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${VELMOR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Social-insurance fee client: service plug-in, reference host and command line")
set(CPACK_PACKAGE_DESCRIPTION "The service plug-in a desktop host loads to keep the roster of insured\n\
persons and to declare and pay social-insurance fees; the velmor command line, the\n\
simulated server velmor-taxsim, and the headers, CMake package and pkg-config file for\n\
building other hosts.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform library is public: other packages' hosts may depend on it through a shlibs file.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# Splits the debug information out of every binary and strips it (so CPACK_STRIP_FILES stays off:
# stripping first would leave nothing to split).
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)

# `make package_source`: the source tree without version control or build trees.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\.git" "/build[^/]*/" "\\.swp$")

include(CPack)
