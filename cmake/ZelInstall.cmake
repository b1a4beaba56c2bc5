# What `cmake --install` puts below the prefix. The layout is fixed, whatever the prefix:
#
#   bin/ZelTester, bin/zelscript, bin/zelmodbus-sim   the programs
#   share/zeltester/Doc/ZelTester_UsersGuide_en.pdf   the guide Help > User's Guide opens
#   share/zeltester/examples/                         capability definitions to load (*.xml),
#                                                     a device map and a recorded session
#   share/applications/zeltester.desktop              the desktop menu entry
#   share/icons/hicolor/scalable/apps/zeltester.svg   its icon
#   share/doc/zeltester/                              README and reference documents
#
# The program looks for its guide in <program directory>/../Doc (the build tree) and then in
# <program directory>/../share/zeltester/Doc (an installed copy), so bin and share stay
# siblings; they are not taken from GNUInstallDirs on purpose.
set(ZEL_INSTALL_BINDIR bin)
set(ZEL_INSTALL_DATADIR share/zeltester)

install(TARGETS ZelTester RUNTIME DESTINATION ${ZEL_INSTALL_BINDIR})
if(TARGET zelscript)
  install(TARGETS zelscript RUNTIME DESTINATION ${ZEL_INSTALL_BINDIR})
endif()
if(TARGET zelmodbus-sim)
  install(TARGETS zelmodbus-sim RUNTIME DESTINATION ${ZEL_INSTALL_BINDIR})
endif()

install(FILES ${ZEL_GUIDE_PDF} DESTINATION ${ZEL_INSTALL_DATADIR}/Doc)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${ZEL_INSTALL_DATADIR}/examples
  FILES_MATCHING PATTERN "*.xml" PATTERN "*.map" PATTERN "*.vbs")
install(FILES ${CMAKE_SOURCE_DIR}/src/panelkit/icons/zeltester.svg
  DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/users-guide.md
  ${CMAKE_SOURCE_DIR}/docs/engine.md ${CMAKE_SOURCE_DIR}/docs/value-text.md ${CMAKE_SOURCE_DIR}/docs/ksf-format.md
  ${CMAKE_SOURCE_DIR}/docs/modbus.md
  DESTINATION share/doc/zeltester)

# The desktop entry names the program by its full installed path, which is known only when
# installing (`cmake --install --prefix` may choose another prefix than the configured one).
install(CODE "
  string(MD5 zel_stage \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(ZEL_EXEC \"\${CMAKE_INSTALL_PREFIX}/${ZEL_INSTALL_BINDIR}/ZelTester\")
  set(zel_entry \"${CMAKE_BINARY_DIR}/packaging/\${zel_stage}/zeltester.desktop\")
  configure_file(\"${CMAKE_SOURCE_DIR}/packaging/zeltester.desktop.in\" \"\${zel_entry}\" @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\" TYPE FILE FILES \"\${zel_entry}\")
  file(REMOVE_RECURSE \"${CMAKE_BINARY_DIR}/packaging/\${zel_stage}\")
")
