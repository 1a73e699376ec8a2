# What veilquill-cli is installed with, and its Debian package.
#
# `cmake --install` (to /usr/local by default) and the package put in:
#
#   bin/veilquill-cli                                   (cli/CMakeLists.txt)
#   share/man/man1/veilquill-cli.1.gz                   (cmake/man_page.cmake)
#   share/bash-completion/completions/veilquill-cli
#   share/doc/veilquill-cli/copyright, changelog.gz
#
# `cpack -G DEB` in the native build tree (or tools/build_deb.sh) makes
# veilquill-cli_<version>_<arch>.deb from them, under /usr, its program stripped and its
# Depends read from the program by dpkg-shlibdeps. The texts it ships are in packaging/.
include(GNUInstallDirs)
find_program(VQ_GZIP gzip REQUIRED)
set(VQ_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(VQ_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/veilquill-cli)

install(FILES ${VQ_PACKAGING_DIR}/veilquill-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME veilquill-cli)

# Debian keeps a program's history as changelog.gz beside its copyright file.
set(VQ_CHANGELOG ${CMAKE_BINARY_DIR}/package_files/changelog.gz)
add_custom_command(
  OUTPUT ${VQ_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package_files
  COMMAND ${CMAKE_COMMAND} -DGZIP=${VQ_GZIP} -DINPUT=${VQ_PACKAGING_DIR}/changelog
          -DOUTPUT=${VQ_CHANGELOG} -P ${CMAKE_SOURCE_DIR}/cmake/compress_file.cmake
  DEPENDS ${VQ_PACKAGING_DIR}/changelog ${CMAKE_SOURCE_DIR}/cmake/compress_file.cmake
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(vq_changelog ALL DEPENDS ${VQ_CHANGELOG})
install(FILES ${VQ_PACKAGING_DIR}/copyright ${VQ_CHANGELOG} DESTINATION ${VQ_DOC_DIR})
# Building the program builds all that is installed with it, so that
# `cmake --build ... --target veilquill-cli` is enough for `cmake --install` and cpack.
add_dependencies(veilquill-cli vq_man_page vq_changelog)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veilquill-cli)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Veilquill)
set(CPACK_PACKAGE_CONTACT "Veilquill maintainers <maintainers@veilquill.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "command-line companion of the Veilquill file encryption tool")
# The long description as dpkg shows it: lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Veilquill encrypts and decrypts text files in place with a key that you type.
This package holds its command-line program, veilquill-cli, which reads and
writes the same files and key-check records as the Veilquill window on Windows.

The strong format uses Argon2id and ChaCha20-Poly1305 from libgcrypt and
carries its key check in the file itself. The original format, which older
files use, keeps a key-check record for each file in a records folder. Files of
any size are streamed through bounded memory, the key is never given on the
command line, and files can be encrypted and decrypted through pipes.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.veilquill.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The native tree has only the Debian package to make; its sources are the repository.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
