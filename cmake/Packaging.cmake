# Install rules and the Debian package of the program.
#
# Installed: the program and brevalon-cli, the program's desktop entry and
# icon, and the udev rule that lets the logged-in user open the unit. The layer libraries are static, so
# nothing else is needed at run time; tests and benchmarks stay in the build
# tree. `make package` (or `cpack` in the build directory) turns this into
# brevalon-mini-setup_<version>_<arch>.deb.

# Builds without the program (BREVALON_GUI=OFF) have nothing to install.
if(NOT TARGET BrevalonMiniSetup)
    return()
endif()
if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
    return()
endif()
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    return()
endif()

include(GNUInstallDirs)

set(BREVALON_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging)

install(TARGETS BrevalonMiniSetup brevalon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT Runtime)
install(FILES ${BREVALON_PACKAGING_DIR}/brevalon-mini-setup.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Runtime)
install(FILES ${BREVALON_PACKAGING_DIR}/brevalon-mini-setup.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT Runtime)
# Not CMAKE_INSTALL_LIBDIR: that is multiarch on Debian, and udev reads
# <prefix>/lib/udev/rules.d only.
install(FILES ${BREVALON_PACKAGING_DIR}/70-brevalon-mini-setup.rules
        DESTINATION lib/udev/rules.d COMPONENT Runtime)

set(BREVALON_PACKAGE_MAINTAINER "Brevalon Mini Setup maintainers <maintainers@brevalon.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brevalon-mini-setup)
set(CPACK_PACKAGE_VENDOR Brevalon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up and watch a Brevalon 8 GSM alarm and control unit")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "A desktop tool with which a technician sets up and watches a small GSM\n"
    "alarm and control unit attached by USB: live state, every group of\n"
    "settings, the relay, a test SMS, the settings memory and the unit's\n"
    "boot mode. brevalon-cli saves, writes and checks a unit's whole set-up\n"
    "from scripts, without a display. A udev rule gives the logged-in user\n"
    "access to the unit.")
# Only the program's own files, whatever else a subdirectory may install.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Runtime;/")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${BREVALON_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, so dpkg-shlibdeps cannot see
# them, and libqt6gui6 only recommends them: without them the program cannot
# open a window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${BREVALON_PACKAGING_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
