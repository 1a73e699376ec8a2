# libgcrypt, the cryptographic library of the strong format.
#
# Linux: linked into the programs (Debian package libgcrypt20-dev); the target vq_gcrypt.
# Windows: its header comes from the mingw-w64 sysroot (Debian package libgcrypt-mingw-w64-dev)
# and the programs load libgcrypt-20.dll and libgpg-error-0.dll from their own folder when they
# first need them. The build strips the package's DLLs for the build's processor into
# VQ_CRYPTO_DLL_DIR (the zip and the installer ship these), and vq_put_crypto_dlls_beside()
# copies them beside the programs and the Win32 test program, so that tests under Wine find
# them. A test that copies a program elsewhere (as the UI tests do) runs it without them unless
# it copies them along too.

find_path(VQ_GCRYPT_INCLUDE gcrypt.h)
if(NOT VQ_GCRYPT_INCLUDE)
  if(WIN32)
    message(FATAL_ERROR "gcrypt.h not found: install the Debian package libgcrypt-mingw-w64-dev (tools/setup.sh)")
  endif()
  message(FATAL_ERROR "gcrypt.h not found: install the Debian package libgcrypt20-dev (tools/setup.sh)")
endif()

if(NOT WIN32)
  find_library(VQ_GCRYPT_LIBRARY gcrypt)
  if(NOT VQ_GCRYPT_LIBRARY)
    message(FATAL_ERROR "libgcrypt not found: install the Debian package libgcrypt20-dev (tools/setup.sh)")
  endif()
  add_library(vq_gcrypt INTERFACE)
  target_include_directories(vq_gcrypt SYSTEM INTERFACE ${VQ_GCRYPT_INCLUDE})
  target_link_libraries(vq_gcrypt INTERFACE ${VQ_GCRYPT_LIBRARY})
  return()
endif()

set(VQ_CRYPTO_DLL_NAMES libgcrypt-20.dll libgpg-error-0.dll)
set(VQ_CRYPTO_DLL_DIR ${CMAKE_BINARY_DIR}/crypto_dlls)
set(VQ_CRYPTO_DLLS)
foreach(name ${VQ_CRYPTO_DLL_NAMES})
  string(MAKE_C_IDENTIFIER "VQ_SOURCE_${name}" variable)
  find_file(${variable} ${name} PATH_SUFFIXES bin NO_DEFAULT_PATH
            PATHS ${CMAKE_FIND_ROOT_PATH} NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${variable})
    message(FATAL_ERROR "${name} not found in ${CMAKE_FIND_ROOT_PATH}/bin: install the Debian packages libgcrypt-mingw-w64-dev and libgpg-error-mingw-w64-dev (tools/setup.sh)")
  endif()
  add_custom_command(
    OUTPUT ${VQ_CRYPTO_DLL_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VQ_CRYPTO_DLL_DIR}
    COMMAND ${CMAKE_STRIP} --strip-all -o ${VQ_CRYPTO_DLL_DIR}/${name} ${${variable}}
    DEPENDS ${${variable}}
    COMMENT "Stripping ${name} for the ${CMAKE_SYSTEM_PROCESSOR} build"
    VERBATIM)
  list(APPEND VQ_CRYPTO_DLLS ${VQ_CRYPTO_DLL_DIR}/${name})
endforeach()
add_custom_target(vq_crypto_dlls DEPENDS ${VQ_CRYPTO_DLLS})

# Puts the stripped DLLs into `folder`, where `target`'s program is built.
function(vq_put_crypto_dlls_beside target folder)
  set(copies)
  foreach(name ${VQ_CRYPTO_DLL_NAMES})
    add_custom_command(
      OUTPUT ${folder}/${name}
      COMMAND ${CMAKE_COMMAND} -E copy ${VQ_CRYPTO_DLL_DIR}/${name} ${folder}/${name}
      DEPENDS ${VQ_CRYPTO_DLL_DIR}/${name}
      VERBATIM)
    list(APPEND copies ${folder}/${name})
  endforeach()
  add_custom_target(${target}_crypto_dlls DEPENDS ${copies})
  add_dependencies(${target}_crypto_dlls vq_crypto_dlls)
  add_dependencies(${target} ${target}_crypto_dlls)
endfunction()

# The licences that come with the DLLs, with CRLF line ends for Notepad: libgcrypt's and
# libgpg-error's notices from their Debian packages, and the GNU LGPL 2.1 they are under.
set(VQ_CRYPTO_LICENSE_DIR ${CMAKE_BINARY_DIR}/package_files/Licenses)
set(VQ_CRYPTO_LICENSES)
foreach(pair "libgcrypt.txt=/usr/share/doc/libgcrypt-mingw-w64-dev/copyright"
             "libgpg-error.txt=/usr/share/doc/libgpg-error-mingw-w64-dev/copyright"
             "LGPL-2.1.txt=/usr/share/common-licenses/LGPL-2.1")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 source)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "${source} not found: the licence text ${name} is made from it")
  endif()
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  # Written through a copy that changes only when the text does, so that nothing is redone.
  file(WRITE ${CMAKE_BINARY_DIR}/CMakeFiles/${name} "${text}")
  configure_file(${CMAKE_BINARY_DIR}/CMakeFiles/${name} ${VQ_CRYPTO_LICENSE_DIR}/${name} COPYONLY)
  list(APPEND VQ_CRYPTO_LICENSES ${VQ_CRYPTO_LICENSE_DIR}/${name})
endforeach()

# Where the DLLs' source is, as their licence asks of whoever passes them on: the Debian
# source packages they were built from ("name version"), read from the installed packages.
foreach(pair "VQ_GCRYPT_SOURCE=libgcrypt-mingw-w64-dev"
             "VQ_GPG_ERROR_SOURCE=libgpg-error-mingw-w64-dev")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 variable)
  list(GET pair 1 package)
  execute_process(COMMAND dpkg-query -W "-f=\${source:Package} \${source:Version}" ${package}
                  OUTPUT_VARIABLE ${variable} RESULT_VARIABLE queried)
  if(NOT queried EQUAL 0 OR NOT ${variable} MATCHES "^[^ ]+ [^ ]+$")
    message(FATAL_ERROR "dpkg-query cannot name the source of ${package}")
  endif()
  string(REPLACE " " "/" ${variable}_PATH "${${variable}}")
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/resources/help/Sources.txt.in
               ${VQ_CRYPTO_LICENSE_DIR}/Sources.txt @ONLY NEWLINE_STYLE CRLF)
list(APPEND VQ_CRYPTO_LICENSES ${VQ_CRYPTO_LICENSE_DIR}/Sources.txt)
