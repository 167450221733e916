# The packages: a Debian package on Linux (cpack -G DEB), a setup program and a zip on Windows.
set(CPACK_PACKAGE_NAME tq310-test)
set(CPACK_PACKAGE_VENDOR Kelvora)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service and configuration tool for the TQ310 knitting-machine controller")
set(CPACK_PACKAGE_DESCRIPTION
  "tq310-test reads, edits and writes the parameters and menu texts of the
TQ310 controller of knitting machines over its USB-serial programmer adapter,
commits them to the controller's EEPROM only when a read-back matches, keeps
them in parameter files, compiles the configuration file for the controller's
USB key, and diagnoses the machine's inputs and outputs.
tq310-cli does the device and file jobs from the command line, for scripts.
tq310-sim is a simulated controller on a pseudo-terminal, for training and
trials.")
set(TQ_PACKAGE_CONTACT "tq310-test maintainers <tq310-test@localhost>" CACHE STRING
  "Maintainer of the packages: name and e-mail address")
set(CPACK_PACKAGE_CONTACT "${TQ_PACKAGE_CONTACT}")
# The programs are built with debugging information; the packages carry them without.
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # The setup program (cpack -G NSIS, the default) and a zip of the same files for a PC where
  # nothing may be installed (cpack -G ZIP): tq310-test-<version>-win64.exe and .zip.
  set(CPACK_GENERATOR NSIS)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "tq310-test")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  # A 64-bit setup program, as the programs are (and as Wine without its 32-bit half runs).
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
  set(CPACK_NSIS_DISPLAY_NAME "Test per TQ310")
  set(CPACK_NSIS_PACKAGE_NAME "Test per TQ310 ${PROJECT_VERSION}")
  set(CPACK_NSIS_MUI_ICON ${TQ_WINDOWS_ICON})
  set(CPACK_NSIS_MUI_UNIICON ${TQ_WINDOWS_ICON})
  set(CPACK_NSIS_INSTALLED_ICON_NAME tq310-test.exe)
  set(CPACK_NSIS_MUI_FINISHPAGE_RUN tq310-test.exe)
  # The Start-menu entry "Test per TQ310" with the program's icon.
  set(CPACK_PACKAGE_EXECUTABLES tq310-test "Test per TQ310")
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  # The libraries the programs need, from the binaries themselves (dpkg-shlibdeps).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Qt's own dialogs in Italian (qtbase_it.qm); without it they speak English.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
endif()

include(CPack)
