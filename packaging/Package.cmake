# The Debian package: CPack's DEB generator over the same installation as cmake --install, into
# /usr, so that the package and an installation from source cannot drift apart. The programs
# are the build's own; dpkg-shlibdeps names the libraries they need as dependencies.
# scripts/package.sh builds it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME telmo)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "phone dialer in the notification area")
set(CPACK_PACKAGE_DESCRIPTION "\
Telmo keeps the five people you call most two clicks away: a left click on its
icon in the panel shows your phone book, a pick of a number opens a small card
that dials it. It dials through the desktop's default dialer for tel: links or
through a modem on a serial port, and shares the port safely with ModemManager
and terminal programs.

Two companion programs import people from the CSV export of a mail or phone
program and export the phone book as a CSV file. Each user's phone book is one
plain text file in their own data folder.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Telmo maintainers <maintainers@users.noreply.c-seed-6a90e297.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TELMO_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-open hands numbers to the desktop's dialer and opens the help.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland, modemmanager")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

# The tests build the package from the programs as released, and leave it unpacked for the
# desktop test (tests/desktop); a sanitizer's build would need its run-time libraries.
if(NOT TELMO_SANITIZE AND NOT TELMO_FUZZ)
    add_test(NAME package_check
        COMMAND "${CMAKE_CURRENT_SOURCE_DIR}/tests/check-package.sh" "${CMAKE_BINARY_DIR}"
                "${CMAKE_BINARY_DIR}/package" "${CMAKE_CURRENT_SOURCE_DIR}/tests/package-files.txt")
    # Every installation writes the launcher into the build folder first.
    set_tests_properties(package_check PROPERTIES
        FIXTURES_SETUP telmo_package RESOURCE_LOCK telmo_install TIMEOUT 300)
    set_property(GLOBAL PROPERTY TELMO_UNPACKED_PACKAGE "${CMAKE_BINARY_DIR}/package/root")
endif()
