# Installing and packaging the tool: `cmake --install` puts the binary in bin/ and the
# manual page eei2csv(1) in share/man/man1/; CPack makes a Debian package and a tarball
# of the same files, versioned by the project. cmake/check-package.sh builds, unpacks and
# tries both.
include(GNUInstallDirs)

install(TARGETS eei2csv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual page goes in gzip-compressed, as manual pages are installed on Debian
# (gzip -9n: no name or time stamp, so the same page gives the same bytes).
set(eei2csv_man_page ${CMAKE_CURRENT_SOURCE_DIR}/docs/eei2csv.1)
find_program(EEI2CSV_GZIP gzip)
if(EEI2CSV_GZIP)
  set(eei2csv_man_installed ${CMAKE_CURRENT_BINARY_DIR}/eei2csv.1.gz)
  add_custom_command(
    OUTPUT ${eei2csv_man_installed}
    COMMAND ${EEI2CSV_GZIP} -9n -c ${eei2csv_man_page} > ${eei2csv_man_installed}
    DEPENDS ${eei2csv_man_page}
    COMMENT "Compressing the manual page eei2csv(1)"
    VERBATIM)
  add_custom_target(eei2csv_man ALL DEPENDS ${eei2csv_man_installed})
else()
  set(eei2csv_man_installed ${eei2csv_man_page})
endif()
install(FILES ${eei2csv_man_installed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Packages only for the project built on its own, not inside another one (the benchmarks).
if(PROJECT_IS_TOP_LEVEL)
  set(CPACK_PACKAGE_NAME eei2csv)
  set(CPACK_PACKAGE_VENDOR eei2csv)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
  set(CPACK_PACKAGE_DESCRIPTION
      "eei2csv asks on the console for an EEI card file of hourly electric loads (80-column cards, two per day) and a report file, and writes the loads as a vertical CSV report, one hour per line: MO,DA,YR,HR,LOAD.")
  set(CPACK_PACKAGE_CONTACT "eei2csv maintainers <eei2csv@localhost>")
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)  # eei2csv_V_ARCH.deb, eei2csv-V-Linux.tar.gz

  # The Debian package: eei2csv_VERSION_ARCH.deb, installing under /usr, its library
  # dependencies found by dpkg-shlibdeps when the machine has it (Debian: dpkg-dev).
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  find_program(EEI2CSV_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(EEI2CSV_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
  endif()

  include(CPack)
endif()
