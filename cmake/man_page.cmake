# The manual page veilquill-cli(1): written in scdoc's syntax (docs/veilquill-cli.1.scd, Debian
# package scdoc), built with the program and installed with it, compressed as Debian ships
# manual pages.
find_program(VQ_SCDOC scdoc)
if(NOT VQ_SCDOC)
  message(FATAL_ERROR "scdoc not found: install the Debian package scdoc (tools/setup.sh); "
                      "it builds the manual page veilquill-cli(1)")
endif()
find_program(VQ_GZIP gzip REQUIRED)

set(VQ_MAN_SOURCE ${CMAKE_SOURCE_DIR}/docs/veilquill-cli.1.scd)
set(VQ_MAN_PAGE ${CMAKE_BINARY_DIR}/man/veilquill-cli.1)
add_custom_command(
  OUTPUT ${VQ_MAN_PAGE} ${VQ_MAN_PAGE}.gz
  COMMAND ${CMAKE_COMMAND} -DSCDOC=${VQ_SCDOC} -DSOURCE=${VQ_MAN_SOURCE}
          -DVERSION=${PROJECT_VERSION} -DOUTPUT=${VQ_MAN_PAGE} -P
          ${CMAKE_SOURCE_DIR}/cmake/make_man_page.cmake
  COMMAND ${CMAKE_COMMAND} -DGZIP=${VQ_GZIP} -DINPUT=${VQ_MAN_PAGE} -DOUTPUT=${VQ_MAN_PAGE}.gz
          -P ${CMAKE_SOURCE_DIR}/cmake/compress_file.cmake
  DEPENDS ${VQ_MAN_SOURCE} ${CMAKE_SOURCE_DIR}/cmake/make_man_page.cmake
          ${CMAKE_SOURCE_DIR}/cmake/compress_file.cmake
  COMMENT "Building the manual page veilquill-cli(1)"
  VERBATIM)
add_custom_target(vq_man_page ALL DEPENDS ${VQ_MAN_PAGE} ${VQ_MAN_PAGE}.gz)

include(GNUInstallDirs)
install(FILES ${VQ_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
