# The Windows packages of the program (make package-windows): a portable .zip
# and an NSIS installer that installs into Program Files with a Start-menu
# entry and an uninstaller listed among the system's programs. The programs
# (the window program and brevalon-cli) are statically linked, so they are the
# only files they need.

set(BREVALON_WINDOWS_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging/windows)

install(TARGETS BrevalonMiniSetup brevalon-cli RUNTIME DESTINATION . COMPONENT Runtime)
# Windows line ends, for every editor there.
configure_file(${BREVALON_WINDOWS_PACKAGING_DIR}/README.txt ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION . COMPONENT Runtime)

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_PACKAGE_NAME BrevalonMiniSetup)
set(CPACK_PACKAGE_VENDOR Brevalon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Brevalon Mini Setup")
set(CPACK_PACKAGE_FILE_NAME BrevalonMiniSetup-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Brevalon Mini Setup")
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Runtime;/")
set(CPACK_STRIP_FILES ON)

# A 64-bit installer for a 64-bit program: it installs into the 64-bit
# Program Files and registry, and runs where no 32-bit Windows layer is (a
# 64-bit-only Wine).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Brevalon Mini Setup")
set(CPACK_NSIS_DISPLAY_NAME "Brevalon Mini Setup")
set(CPACK_NSIS_MUI_ICON ${BREVALON_WINDOWS_PACKAGING_DIR}/brevalon-mini-setup.ico)
set(CPACK_NSIS_MUI_UNIICON ${BREVALON_WINDOWS_PACKAGING_DIR}/brevalon-mini-setup.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME BrevalonMiniSetup.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES "BrevalonMiniSetup;Brevalon Mini Setup")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

include(CPack)
