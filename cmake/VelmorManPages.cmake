# Manual pages for the two programs, made from their --help with help2man when it is installed
# (scripts/setup.sh installs it); without it the build goes on and installs no manual pages.
# Hand-written pages placed in docs/man/ (name.1) are installed as they are.
find_program(VELMOR_HELP2MAN help2man)
if(VELMOR_HELP2MAN)
  set(_velmor_man_pages)
  set(_velmor_about_velmor "command-line host of the Velmor service plug-in")
  set(_velmor_about_velmor-taxsim "simulated tax-administration server on loopback")
  foreach(program velmor velmor-taxsim)
    # Compressed without a time stamp, as Debian's manual pages are.
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${VELMOR_HELP2MAN} --no-info --no-discard-stderr --version-string=${PROJECT_VERSION}
              "--name=${_velmor_about_${program}}" --output=${PROJECT_BINARY_DIR}/man/${program}.1
              $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/man/${program}.1
      DEPENDS ${program}
      COMMENT "Manual page ${program}.1"
      VERBATIM)
    list(APPEND _velmor_man_pages ${page})
  endforeach()
  add_custom_target(velmor_man_pages ALL DEPENDS ${_velmor_man_pages})
  install(FILES ${_velmor_man_pages} DESTINATION ${VELMOR_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no manual pages (scripts/setup.sh installs it)")
endif()
file(GLOB _velmor_written_pages ${PROJECT_SOURCE_DIR}/docs/man/*.1)
if(_velmor_written_pages)
  install(FILES ${_velmor_written_pages} DESTINATION ${VELMOR_INSTALL_MANDIR}/man1)
endif()
