# Installation layout and the Debian package.
#
#   <prefix>/lib/emuvola/EmuVOLA, KR-V___, krv-sim, emuvola-run   side by side, as in build/bin
#   <prefix>/bin/emuvola -> ../lib/emuvola/EmuVOLA   EmuVOLA finds KR-V___ through
#                                                    /proc/self/exe, which resolves the link
#   <prefix>/bin/emuvola-run -> ../lib/emuvola/emuvola-run
#   <prefix>/share/doc/emuvola/scripts/              example scripts, a cron line, a systemd timer
#   <prefix>/share/applications/emuvola.desktop
#   <prefix>/share/icons/hicolor/<size>/apps/emuvola.png (and scalable/apps/emuvola.svg)
#
# Installed, the program directory is not writable, so both programs keep their
# files in $XDG_CONFIG_HOME/EmuVOLA/ (~/.config/EmuVOLA/).
#
# `make package` (or `cpack -G DEB` in the build directory) writes
# emuvola_<version>_<arch>.deb into the build directory.

set(EMU_INSTALL_PROGRAM_DIR "lib/emuvola")
set(EMU_PACKAGING_DIR "${CMAKE_CURRENT_LIST_DIR}")

install(TARGETS EmuVOLA KR-V___ krv-sim emuvola-run
  RUNTIME DESTINATION "${EMU_INSTALL_PROGRAM_DIR}")
# The marker that tells both programs this folder is an installed copy, not a
# portable one, so they keep their files in the user's data directory even when
# root could write here.
install(FILES "${EMU_PACKAGING_DIR}/emuvola.installed" DESTINATION "${EMU_INSTALL_PROGRAM_DIR}")

# A relative link, so the tree works under any prefix and DESTDIR.
install(CODE "
  set(_bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  file(MAKE_DIRECTORY \"\${_bin}\")
  file(REMOVE \"\${_bin}/emuvola\")
  file(CREATE_LINK \"../${EMU_INSTALL_PROGRAM_DIR}/EmuVOLA\" \"\${_bin}/emuvola\" SYMBOLIC)
  message(STATUS \"Installing: \${_bin}/emuvola -> ../${EMU_INSTALL_PROGRAM_DIR}/EmuVOLA\")
  file(REMOVE \"\${_bin}/emuvola-run\")
  file(CREATE_LINK \"../${EMU_INSTALL_PROGRAM_DIR}/emuvola-run\" \"\${_bin}/emuvola-run\" SYMBOLIC)
  message(STATUS \"Installing: \${_bin}/emuvola-run -> ../${EMU_INSTALL_PROGRAM_DIR}/emuvola-run\")
")

install(FILES "${EMU_PACKAGING_DIR}/emuvola.desktop" DESTINATION share/applications)
foreach(size 16 24 32 48 64 128 256)
  install(FILES "${EMU_PACKAGING_DIR}/icons/emuvola-${size}.png"
    DESTINATION "share/icons/hicolor/${size}x${size}/apps" RENAME emuvola.png)
endforeach()
install(FILES "${EMU_PACKAGING_DIR}/icons/emuvola.svg" DESTINATION share/icons/hicolor/scalable/apps)
install(FILES "${CMAKE_SOURCE_DIR}/README.md" DESTINATION share/doc/emuvola)
install(DIRECTORY "${CMAKE_SOURCE_DIR}/docs/scripts/" DESTINATION share/doc/emuvola/scripts)

# ---- CPack: one Debian package --------------------------------------------
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "emuvola")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "EmuVOLA developers")
set(CPACK_PACKAGE_CONTACT "EmuVOLA developers <emuvola@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Modem terminal for KR-V remote multi-port serial units")
set(CPACK_PACKAGE_DESCRIPTION
"EmuVOLA dials a KR-V remote serial unit through a modem on a local serial
port, logs in with the KR-V link protocol, connects and configures the unit's
four remote ports, and shows and logs their traffic in two panes per
connection window. Serial ports can also be reached over TCP with the Telnet
Com Port Control protocol (RFC 2217).

The package also holds emuvola-run, which runs a session without a window
from a script (for cron and systemd timers), KR-V___, which writes terminal
session files for KR-V units reachable over TCP/IP, and krv-sim, a KR-V and
modem simulator.
The user interface is in Korean.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_BINARY_DIR}")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "comm")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_RELEASE "")
# Library dependencies come from dpkg-shlibdeps; the Qt platform plugins and
# Qt's Korean texts are loaded at run time and the screen font is found by
# name, so none shows up there and all are listed by hand.
find_program(EMU_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(EMU_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-unifont")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libqt6core6, libqt6gui6, libqt6widgets6, \
qt6-qpa-plugins, qt6-translations-l10n, fonts-unifont")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ser2net")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The hicolor icon cache and the desktop menu database are refreshed by the
# dpkg triggers of hicolor-icon-theme and desktop-file-utils: no maintainer
# scripts are needed.

include(CPack)
