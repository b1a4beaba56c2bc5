# What the product tests in tests/app need to know about this build: where the programs, the
# guide and cmake are, so that they can install the build into a temporary prefix and start
# the installed copy.
foreach(test tst_install tst_commandline tst_userguide tst_settingsfile tst_benchtarget)
  if(NOT TARGET ${test})
    continue()
  endif()
  target_compile_definitions(${test} PRIVATE
    ZEL_CMAKE_COMMAND="${CMAKE_COMMAND}"
    ZEL_BINARY_DIR="${CMAKE_BINARY_DIR}"
    ZEL_PROGRAM="$<TARGET_FILE:ZelTester>"
    ZEL_GUIDE_PDF="${ZEL_GUIDE_PDF}"
    ZEL_GUIDESHOTS="$<TARGET_FILE:guideshots>"
    ZEL_GUIDEPDF="$<TARGET_FILE:guidepdf>")
  add_dependencies(${test} ZelTester users-guide guideshots guidepdf)
  if(TARGET zelmodbus-sim)
    add_dependencies(${test} zelmodbus-sim)
  endif()
  if(TARGET zelscript)
    target_compile_definitions(${test} PRIVATE ZEL_ZELSCRIPT="$<TARGET_FILE:zelscript>")
    add_dependencies(${test} zelscript)
  endif()
endforeach()
