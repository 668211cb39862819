# The Debian package `ponderix`, built by CPack from the install rules (scripts/package).
# Every ELF file is stripped in the staging folder; the facade, whose hash the terminal holds, is
# stripped when linked and goes into the package exactly as it was built (PonderixInstall.cmake).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ponderix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Norvell")
set(PONDERIX_MAINTAINER "Ponderix developers <ponderix@norvell.invalid>")
set(CPACK_PACKAGE_CONTACT "${PONDERIX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drivers and tools for retail weighing scales")
# Lines stay under 80 columns once dpkg indents them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "libdriver.so speaks the scale's native service protocol and the retail\n"
  "protocols POS, CAS, CAS active and OKA over a serial port or TCP, detects\n"
  "the protocol of a scale and keeps stored connection configurations. The\n"
  "package holds the library with its header, CMake package and pkg-config\n"
  "file, the command-line tool scalectl, the scale simulator scale-sim,\n"
  "the Qt terminal weighdesk and the scale service ponderixd (HTTP,\n"
  "WebSocket and MQTT; installed disabled).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES OFF)
set(CPACK_PONDERIX_STRIP "${CMAKE_STRIP}")
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PonderixStrip.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps computes Depends; it runs inside the staging folder, where the private
# libraries are found by their relative path.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CPACK_PACKAGING_INSTALL_PREFIX}/${PONDERIX_PRIVATE_LIBDIR}")
string(REGEX REPLACE "^/" "" CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS}")
# The Python package is for the system's python3; dpkg-shlibdeps adds the libraries' packages to it.
# adduser: the postinst creates the scale service's user.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3, adduser")
# The postinst only creates that user; it neither enables nor starts the service.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/service/package/postinst
                                       ${PROJECT_SOURCE_DIR}/service/package/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian's copyright file and changelog; a package without a Debian revision in its version is
# native, whose changelog is changelog.gz. The date honours SOURCE_DATE_EPOCH.
install(FILES ${PROJECT_SOURCE_DIR}/cmake/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
string(TIMESTAMP PONDERIX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog @ONLY)
ponderix_install_gzipped(${CMAKE_CURRENT_BINARY_DIR}/doc/changelog ${CMAKE_INSTALL_DOCDIR})

# Three lintian warnings are kept. maintscript-calls-ldconfig: CPack writes a postrm that runs
# ldconfig whenever a shared library lies in /usr/lib or a folder just below it, with no switch to
# turn it off (the postinst is ours); the call is needless for the private folder, but harmless.
# non-standard-file-perm: the service's configuration is 0640, it may hold a token.
# pkg-config-unavailable-for-cross-compilation: the package uses /usr/lib, not the multiarch
# folder, so a cross pkg-config does not search /usr/lib/pkgconfig.
include(CPack)
