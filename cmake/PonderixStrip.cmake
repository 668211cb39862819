# Run by CPack on its staging folder before it builds the package: strips every ELF file, as
# dh_strip would, except the facade, which is stripped when linked because weighdesk holds its hash.
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS files)
  if(IS_SYMLINK "${file}" OR file MATCHES "/libpermanent\\.so$")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND "${CPACK_PONDERIX_STRIP}" --strip-unneeded "${file}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
