# CPack: a Debian package of the installed layout (cmake/ZelInstall.cmake).
#
#   cmake --build build && cpack --config build/CPackConfig.cmake -B build/package
#   (or: cmake --build build --target package)
#
# gives build/zeltester_<version>_<arch>.deb for Debian 12, installing below /usr.
set(ZEL_PACKAGE_MAINTAINER "ZelTester developers <zeltester@example.com>" CACHE STRING
  "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeltester)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive test client for the Zel automation engine")
set(CPACK_PACKAGE_CONTACT "${ZEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ZelTester)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)

# The desktop entry is written with the final path of the program (/usr/bin/ZelTester), so
# the package is staged with DESTDIR below the real prefix rather than in a private prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The first line of the description is CPACK_PACKAGE_DESCRIPTION_SUMMARY.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "ZelTester creates the objects of the Zel automation engine by hand (workspaces,
controllers, variables, robots, files, tasks, extensions, commands, messages),
calls every operation with typed arguments and logs each request and result.
While recording is on, every call also becomes a line of a replayable script,
which zelscript runs again from the command line. The engine is built in, with
the Zel.Virtual provider that simulates a robot controller and the Zel.Modbus
provider for Modbus TCP and RTU devices; zelmodbus-sim serves a simulated one.")
# Dependencies for Debian 12: dpkg-shlibdeps finds the libraries the programs link; two more
# are loaded at run time and invisible to it: libqt6svg6 (the SVG icon engine that draws every
# icon) and qt6-qpa-plugins (the X11 platform plugin, which libqt6gui6 only recommends).
# Without dpkg-shlibdeps (dpkg-dev) the whole list is given as it reads on Debian 12.
set(ZEL_RUNTIME_PLUGINS "libqt6svg6 (>= 6.4.0), qt6-qpa-plugins")
find_program(ZEL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZEL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ZEL_RUNTIME_PLUGINS}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.35), libgcc-s1 (>= 3.0), libstdc++6 (>= 11), libqt6core6 (>= 6.4.0), libqt6gui6 (>= 6.4.0), libqt6widgets6 (>= 6.4.0), libqt6charts6 (>= 6.4.0), libmodbus5 (>= 3.1.6), ${ZEL_RUNTIME_PLUGINS}")
endif()
# xdg-open and a PDF viewer show the user's guide.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, evince | pdf-viewer")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
