# The tests of a cross-compiled Windows build, run under Wine.
#
# Debian has no GoogleTest built for mingw-w64, so it is built here from
# Debian's sources with the same toolchain and presented under the names
# that find_package(GTest) gives a native build.

set(googletest_source /usr/src/googletest)
if(NOT EXISTS ${googletest_source}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${googletest_source} (package googletest)")
endif()

# Programs run under Wine when ctest runs them or lists their tests. The
# program is outside PATH on Debian.
find_program(WINE64 NAMES wine64 PATHS /usr/lib/wine)
if(NOT WINE64)
    message(FATAL_ERROR "Wine not found (package wine64)")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64})
# Listing the tests of a program runs it, which needs the Wine prefix that
# only the test run sets up: list them when ctest runs, not after linking.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# GoogleTest's own code is not held to the project's warning flags.
get_directory_property(project_compile_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${googletest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${project_compile_options}")
# GoogleTest's build defines GTest::gtest and GTest::gtest_main itself.
