# The SQLite engine of the host database: built from the amalgamation scripts/fetch-sqlite.sh put
# in third_party/sqlite/, else the system's library. Either way the target is SQLite::SQLite3.
#
# The amalgamation is built with the system library's behaviour (serialized threading, secure
# delete, the same limits, URIs, column metadata, the SQL of UPDATE/DELETE ... LIMIT, the math
# and soundex functions; not its full-text, spatial and other virtual-table modules, which no
# statement here uses) and the options that make it faster: the lookaside allocator (Debian's
# library leaves it out), no memory statistics, no shared cache, fdatasync. Its warnings are its
# own and not shown.
option(VELMOR_SYSTEM_SQLITE "Link the system's SQLite library even when the amalgamation is present" OFF)
set(VELMOR_SQLITE_SOURCE "${PROJECT_SOURCE_DIR}/third_party/sqlite" CACHE PATH
    "Folder holding the SQLite amalgamation (sqlite3.c, sqlite3.h)")

if(NOT VELMOR_SYSTEM_SQLITE AND EXISTS "${VELMOR_SQLITE_SOURCE}/sqlite3.c")
  add_library(velmor_sqlite STATIC "${VELMOR_SQLITE_SOURCE}/sqlite3.c")
  target_include_directories(velmor_sqlite SYSTEM PUBLIC "${VELMOR_SQLITE_SOURCE}")
  target_compile_definitions(velmor_sqlite PRIVATE
    SQLITE_THREADSAFE=1
    SQLITE_DEFAULT_MEMSTATUS=0
    SQLITE_SECURE_DELETE
    SQLITE_MAX_VARIABLE_NUMBER=250000
    SQLITE_MAX_SCHEMA_RETRY=25
    SQLITE_USE_URI=1
    SQLITE_ENABLE_COLUMN_METADATA
    SQLITE_ENABLE_MATH_FUNCTIONS
    SQLITE_ENABLE_UPDATE_DELETE_LIMIT
    SQLITE_SOUNDEX
    SQLITE_LIKE_DOESNT_MATCH_BLOBS
    SQLITE_OMIT_SHARED_CACHE
    HAVE_USLEEP=1
    HAVE_FDATASYNC=1
    HAVE_LOCALTIME_R=1
    HAVE_GMTIME_R=1
    HAVE_ISNAN=1
    HAVE_MALLOC_USABLE_SIZE=1
    HAVE_STRCHRNUL=1)
  target_compile_options(velmor_sqlite PRIVATE -w)
  target_link_libraries(velmor_sqlite PUBLIC Threads::Threads ${CMAKE_DL_LIBS} m)
  add_library(SQLite::SQLite3 ALIAS velmor_sqlite)
  file(STRINGS "${VELMOR_SQLITE_SOURCE}/sqlite3.h" _velmor_sqlite_version REGEX "^#define SQLITE_VERSION +\"")
  string(REGEX REPLACE ".*\"(.*)\".*" "\\1" _velmor_sqlite_version "${_velmor_sqlite_version}")
  message(STATUS "SQLite: the amalgamation ${_velmor_sqlite_version} in ${VELMOR_SQLITE_SOURCE}")
else()
  find_package(SQLite3 REQUIRED)
  message(STATUS "SQLite: the system library ${SQLite3_VERSION} (${SQLite3_LIBRARIES})")
endif()
