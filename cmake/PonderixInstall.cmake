# What `cmake --install` lays out. Programs in bin and the private folder find their libraries
# through $ORIGIN-relative run paths, so an installed tree works wherever it is unpacked.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# libdriver.so, its private library, the facade, the window library and the real terminal travel
# together: the terminal loads the facade and the window library from its own folder and the facade
# binds the driver by name.
set(PONDERIX_PRIVATE_LIBDIR "${CMAKE_INSTALL_LIBDIR}/ponderix")
file(RELATIVE_PATH PONDERIX_BIN_TO_PRIVATE "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_LIBDIR}/ponderix")
set(PONDERIX_MANDIR "${CMAKE_INSTALL_MANDIR}/man1")

# ---- Libraries and programs ------------------------------------------------------------------

# libdriver.so finds its private library beside it through its $ORIGIN run path.
install(TARGETS driver driver_internal LIBRARY DESTINATION ${PONDERIX_PRIVATE_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/driver/include/driver/driver.h ${PROJECT_SOURCE_DIR}/driver/include/driver/vocabulary.h
        ${PROJECT_SOURCE_DIR}/driver/include/driver/reading.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ponderix)

set_target_properties(scalectl ponderixd PROPERTIES INSTALL_RPATH "$ORIGIN/${PONDERIX_BIN_TO_PRIVATE}")
install(TARGETS scalectl scale-sim ponderixd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The scale service: its unit, installed disabled (the package's postinst only adds its user), and
# its configuration, readable by root and the service's group. The configuration goes to /etc for
# the prefix /usr and to <prefix>/etc otherwise, decided when installing, since CPack installs
# with the prefix /usr.
install(FILES ${PROJECT_SOURCE_DIR}/service/ponderixd.service DESTINATION lib/systemd/system)
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(ponderix_etc /etc/ponderix)
  else()
    set(ponderix_etc \"\${CMAKE_INSTALL_PREFIX}/etc/ponderix\")
  endif()
  file(INSTALL \"${PROJECT_SOURCE_DIR}/service/ponderixd.conf\" DESTINATION \"\${ponderix_etc}\"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
")

# These are linked with their install run path already ($ORIGIN, none for weighdesk), and install()
# leaves such files as they are.
install(TARGETS weighdesk_window LIBRARY DESTINATION ${PONDERIX_PRIVATE_LIBDIR})
install(TARGETS weighdesk RUNTIME DESTINATION ${PONDERIX_PRIVATE_LIBDIR})

# The terminal records the facade's SHA-256 at build time, so the facade must arrive byte for byte
# as built: the linker strips it, before the hash is taken, and install(FILES) copies it without
# stripping even under `cmake --install --strip`. Sanitizer and Debug builds keep its symbols for
# their reports and debuggers.
if(NOT PONDERIX_SANITIZE AND NOT PONDERIX_TSAN)
  target_link_options(permanent PRIVATE $<$<NOT:$<CONFIG:Debug>>:LINKER:--strip-all>)
endif()
install(FILES $<TARGET_FILE:permanent> DESTINATION ${PONDERIX_PRIVATE_LIBDIR}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# bin/weighdesk is a link: the start-up check looks for the facade beside the real executable.
set(_link_dir ${CMAKE_CURRENT_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${_link_dir})
file(CREATE_LINK ${PONDERIX_BIN_TO_PRIVATE}/weighdesk ${_link_dir}/weighdesk SYMBOLIC)
install(FILES ${_link_dir}/weighdesk DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/cmake/weighdesk.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/weighdesk.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# ---- Manual pages, gzipped ------------------------------------------------------------------

find_program(GZIP gzip REQUIRED)
# Installs <file>.gz, compressed as Debian does: -9n keeps no name or time, so the bytes repeat.
function(ponderix_install_gzipped file destination)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${file}.gz COMMAND ${GZIP} -9nkf ${file} DEPENDS ${file} VERBATIM)
  add_custom_target(${name}.gz ALL DEPENDS ${file}.gz)
  install(FILES ${file}.gz DESTINATION ${destination})
endfunction()

configure_file(${PROJECT_SOURCE_DIR}/cmake/weighdesk.1 ${CMAKE_CURRENT_BINARY_DIR}/man/weighdesk.1 COPYONLY)
ponderix_install_gzipped(${CMAKE_CURRENT_BINARY_DIR}/man/weighdesk.1 ${PONDERIX_MANDIR})

# The command-line tools' pages come from their --help.
find_program(HELP2MAN help2man REQUIRED)
function(ponderix_manual_page target description)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${target}.1)
  add_custom_command(
    OUTPUT ${page}
    # A private APPDATA: running the tool must not leave files in the builder's home.
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man/appdata
    COMMAND ${CMAKE_COMMAND} -E env APPDATA=${CMAKE_CURRENT_BINARY_DIR}/man/appdata
            ${HELP2MAN} --no-info --no-discard-stderr --name=${description}
            --version-string=${PROJECT_VERSION} --output=${page} $<TARGET_FILE:${target}>
    DEPENDS ${target}
    COMMENT "Manual page of ${target}"
    VERBATIM)
  ponderix_install_gzipped(${page} ${PONDERIX_MANDIR})
endfunction()
ponderix_manual_page(scalectl "configure and read retail weighing scales through libdriver.so")
ponderix_manual_page(scale-sim "a simulated retail weighing scale on a pseudo-terminal or TCP")
ponderix_manual_page(ponderixd "serve retail weighing scales over HTTP and WebSocket and publish them to MQTT")

# ---- The CMake package and the pkg-config file for callers of libdriver.so -------------------

set(PONDERIX_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/Ponderix")
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/PonderixConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/PonderixConfig.cmake
                              INSTALL_DESTINATION ${PONDERIX_CMAKEDIR}
                              PATH_VARS CMAKE_INSTALL_INCLUDEDIR PONDERIX_PRIVATE_LIBDIR)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/PonderixConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/PonderixConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/PonderixConfigVersion.cmake
        DESTINATION ${PONDERIX_CMAKEDIR})

# The .pc file finds the prefix from its own place, so the same file serves /usr, /usr/local and
# a test prefix.
file(RELATIVE_PATH PONDERIX_PC_TO_PREFIX "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig" "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/$" "" PONDERIX_PC_TO_PREFIX "${PONDERIX_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/ponderix-driver.pc.in ${CMAKE_CURRENT_BINARY_DIR}/ponderix-driver.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ponderix-driver.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# ---- libponderix.so, the C interface, beside the driver's private library it links -------------

install(TARGETS ponderix LIBRARY DESTINATION ${PONDERIX_PRIVATE_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/ponderix/include/ponderix/ponderix.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ponderix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/ponderix.pc.in ${CMAKE_CURRENT_BINARY_DIR}/ponderix.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ponderix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
# The README holds the C and Python examples the manual page of scalectl points to.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
