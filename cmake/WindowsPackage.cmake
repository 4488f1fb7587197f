# The Windows installer, made from the install rules by `cpack -G NSIS` in the cross
# build's folder (Debian's nsis provides makensis). A 64-bit setup that installs into
# Program Files, adds a Start-menu entry and an uninstaller, and shows the licence.
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Glowdesk)
set(CPACK_PACKAGE_VENDOR "Glowdesk team")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "edit, play and transfer light programs of the Handheld LED controller")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Glowdesk)
set(CPACK_PACKAGE_FILE_NAME Glowdesk-${PROJECT_VERSION}-win64-setup)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# The setup itself runs as a 64-bit program and installs into the 64-bit folder.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Glowdesk)
set(CPACK_NSIS_DISPLAY_NAME Glowdesk)
set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/png-icons/glowdesk.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/png-icons/glowdesk.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME glowdesk.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The Start-menu entry starts the window; programs installed by this setup only.
set(CPACK_PACKAGE_EXECUTABLES glowdesk Glowdesk)
set(CPACK_STRIP_FILES ON)
include(CPack)
