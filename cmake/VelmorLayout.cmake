# Where things go when installed, and how binaries find their libraries. Included before any
# target is created, because the RUNPATH defaults are read when a target is defined.
#
#   bin/velmor, bin/velmor-taxsim
#   lib/libvelmor_platform.so.<soversion>   the platform library hosts link
#   lib/velmor/libVelmorService.so          the plug-in, where `velmor` looks for it
#   include/velmor/                         the interfaces shared by host and plug-in
#   lib/cmake/Velmor/, lib/pkgconfig/       the CMake package and the pkg-config file
#   share/velmor/                           data files and templates
#   share/doc/velmor/, share/man/man1/      documentation
#
# The library folder is always `lib` (not a multiarch folder) so that the relative RUNPATH below
# holds for every prefix, the Debian package's /usr included.
set(VELMOR_INSTALL_BINDIR bin)
set(VELMOR_INSTALL_LIBDIR lib)
set(VELMOR_INSTALL_PLUGINDIR lib/velmor)
set(VELMOR_INSTALL_INCLUDEDIR include)
set(VELMOR_INSTALL_CMAKEDIR lib/cmake/Velmor)
set(VELMOR_INSTALL_PKGCONFIGDIR lib/pkgconfig)
set(VELMOR_INSTALL_DATADIR share/velmor)
set(VELMOR_INSTALL_DOCDIR share/doc/velmor)
set(VELMOR_INSTALL_MANDIR share/man)

# Relative RUNPATHs, in the build tree as in an installed tree: a copy of bin/ with lib/ beside it
# runs wherever it is put. The plug-in, one folder deeper, sets its own (VelmorInstall.cmake).
set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
set(CMAKE_INSTALL_RPATH "$ORIGIN/../${VELMOR_INSTALL_LIBDIR}")
