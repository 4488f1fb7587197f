# The Debian package, made from the install rules by `cpack -G DEB` in the build folder.
# Its dependencies are read from the programs' shared libraries (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glowdesk)
set(CPACK_PACKAGE_VENDOR "Glowdesk team")
set(CPACK_PACKAGE_CONTACT "Glowdesk team <team@glowdesk.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "edit, play and transfer light programs of the Handheld LED controller")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Glowdesk is a desktop front-end for the Handheld, a hand-held controller that
drives eight LEDs from light programs kept in its EEPROM. It loads and stores
light programs as INI files, plays them on an on-screen panel of eight LEDs
while mirroring every step to the device, and reads and writes the Handheld's
EEPROM over a serial port. An emulated Handheld inside the program, and the
glowdesk-sim program on a pseudo-terminal, let it run without a device.

To open serial ports, join the dialout group (sudo usermod -aG dialout USER)
and log in again.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
