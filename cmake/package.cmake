# The user's guide, the zip and the installer for Windows users.
#
# The guide is compiled from the HTML pages in resources/help/ into Help/Veilquill.chm with
# chmcmd (Debian package fp-utils). The zip holds one folder laid out the way the program
# looks for its help, one level above its own folder:
#
#   Veilquill/Program/Veilquill.exe
#   Veilquill/Program/SendTo.exe
#   Veilquill/Program/veilquill-cli.exe   (the command-line program, sharing Program/Data)
#   Veilquill/Program/libgcrypt-20.dll    (the strong format's cryptographic library, stripped,
#   Veilquill/Program/libgpg-error-0.dll   for the build's processor: cmake/crypto_library.cmake)
#   Veilquill/Help/Veilquill.chm
#   Veilquill/Licenses/libgcrypt.txt, libgpg-error.txt, LGPL-2.1.txt   (the DLLs' licences)
#   Veilquill/Licenses/Sources.txt       (where the DLLs' source is)
#   Veilquill/ReadMe.txt
#
# The installer (makensis, Debian package nsis) installs the same folder for the current user.
# Each build tree makes the zip and the installer of its own processor: from the i686 build
# Veilquill-<version>-win32.zip and Veilquill-<version>-setup.exe, from the x86_64 build
# Veilquill-<version>-win64.zip and Veilquill-<version>-x64-setup.exe.

find_program(VQ_CHMCMD chmcmd)
if(NOT VQ_CHMCMD)
  message(FATAL_ERROR "chmcmd not found: install the Debian package fp-utils (tools/setup.sh)")
endif()
find_program(VQ_MAKENSIS makensis)
if(NOT VQ_MAKENSIS)
  message(FATAL_ERROR "makensis not found: install the Debian package nsis (tools/setup.sh)")
endif()

# ---- The user's guide ---------------------------------------------------------------------

set(VQ_HELP_SOURCE_DIR ${CMAKE_SOURCE_DIR}/resources/help)
set(VQ_HELP_FILES
    Veilquill.hhp toc.hhc index.hhk style.css index.html installing.html opening.html
    encrypting.html decrypting.html keycheck.html finding.html limits.html strength.html
    commandline.html)
list(TRANSFORM VQ_HELP_FILES PREPEND ${VQ_HELP_SOURCE_DIR}/ OUTPUT_VARIABLE vq_help_inputs)

# chmcmd writes the .chm beside its project, so it compiles a copy in the build tree.
set(VQ_HELP_WORK_DIR ${CMAKE_BINARY_DIR}/help_work)
set(VQ_HELP_CHM ${CMAKE_BINARY_DIR}/Help/Veilquill.chm)
add_custom_command(
  OUTPUT ${VQ_HELP_CHM}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VQ_HELP_WORK_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VQ_HELP_WORK_DIR} ${CMAKE_BINARY_DIR}/Help
  COMMAND ${CMAKE_COMMAND} -E copy ${vq_help_inputs} ${VQ_HELP_WORK_DIR}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VQ_HELP_WORK_DIR} ${VQ_CHMCMD} --verbosity 0 Veilquill.hhp
  COMMAND ${CMAKE_COMMAND} -E copy ${VQ_HELP_WORK_DIR}/Veilquill.chm ${VQ_HELP_CHM}
  DEPENDS ${vq_help_inputs}
  COMMENT "Compiling the user's guide Help/Veilquill.chm"
  VERBATIM)
add_custom_target(vq_help ALL DEPENDS ${VQ_HELP_CHM})

# ---- The folder both ship ------------------------------------------------------------------

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(VQ_ZIP_ARCH win64)
  set(VQ_ARCH_TEXT "64-bit")
  set(VQ_SETUP_SUFFIX "-x64")
  set(VQ_NSIS_TARGET amd64-unicode)
  set(VQ_PE_MACHINE amd64)
else()
  set(VQ_ZIP_ARCH win32)
  set(VQ_ARCH_TEXT "32-bit")
  set(VQ_SETUP_SUFFIX "")
  set(VQ_NSIS_TARGET x86-unicode)
  set(VQ_PE_MACHINE i386)
endif()
set(VQ_VERSION ${PROJECT_VERSION})

# Windows users read the note with Notepad: CRLF line ends.
set(VQ_README ${CMAKE_BINARY_DIR}/package_files/ReadMe.txt)
configure_file(${VQ_HELP_SOURCE_DIR}/ReadMe.txt.in ${VQ_README} @ONLY NEWLINE_STYLE CRLF)

set(VQ_STAGE_DIR ${CMAKE_BINARY_DIR}/package_stage)
set(VQ_STAGE ${VQ_STAGE_DIR}/Veilquill)
set(VQ_STAGE_STAMP ${CMAKE_BINARY_DIR}/package_stage.stamp)
# The shipped programs carry no symbols.
if(CMAKE_STRIP)
  set(vq_strip_command ${CMAKE_STRIP} --strip-all ${VQ_STAGE}/Program/Veilquill.exe
                       ${VQ_STAGE}/Program/SendTo.exe ${VQ_STAGE}/Program/veilquill-cli.exe)
else()
  set(vq_strip_command ${CMAKE_COMMAND} -E true)
endif()
add_custom_command(
  OUTPUT ${VQ_STAGE_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VQ_STAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VQ_STAGE}/Program ${VQ_STAGE}/Help
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Veilquill> ${VQ_STAGE}/Program/Veilquill.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:SendTo> ${VQ_STAGE}/Program/SendTo.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:veilquill-cli>
          ${VQ_STAGE}/Program/veilquill-cli.exe
  COMMAND ${vq_strip_command}
  COMMAND ${CMAKE_COMMAND} -E copy ${VQ_CRYPTO_DLLS} ${VQ_STAGE}/Program
  COMMAND ${CMAKE_COMMAND} -E copy ${VQ_HELP_CHM} ${VQ_STAGE}/Help/Veilquill.chm
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VQ_STAGE}/Licenses
  COMMAND ${CMAKE_COMMAND} -E copy ${VQ_CRYPTO_LICENSES} ${VQ_STAGE}/Licenses
  COMMAND ${CMAKE_COMMAND} -E copy ${VQ_README} ${VQ_STAGE}/ReadMe.txt
  COMMAND ${CMAKE_COMMAND} -E touch ${VQ_STAGE_STAMP}
  DEPENDS Veilquill SendTo veilquill-cli ${VQ_HELP_CHM} ${VQ_README} ${VQ_CRYPTO_DLLS}
          ${VQ_CRYPTO_LICENSES}
  COMMENT "Laying out the Veilquill folder that the zip and the installer ship"
  VERBATIM)
add_custom_target(vq_stage DEPENDS ${VQ_STAGE_STAMP})

# ---- The zip --------------------------------------------------------------------------------

set(VQ_ZIP_NAME Veilquill-${VQ_VERSION}-${VQ_ZIP_ARCH}.zip)
set(VQ_ZIP ${CMAKE_BINARY_DIR}/${VQ_ZIP_NAME})
add_custom_command(
  OUTPUT ${VQ_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VQ_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VQ_STAGE_DIR} ${CMAKE_COMMAND} -E tar cf ${VQ_ZIP}
          --format=zip Veilquill
  DEPENDS vq_stage ${VQ_STAGE_STAMP}
  COMMENT "Packing ${VQ_ZIP_NAME}"
  VERBATIM)
add_custom_target(vq_zip ALL DEPENDS ${VQ_ZIP})

# ---- The installer --------------------------------------------------------------------------

set(VQ_SETUP_NAME Veilquill-${VQ_VERSION}${VQ_SETUP_SUFFIX}-setup.exe)
set(VQ_SETUP ${CMAKE_BINARY_DIR}/${VQ_SETUP_NAME})
set(VQ_SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/installer/veilquill.nsi)
set(VQ_SETUP_ARTWORK ${CMAKE_BINARY_DIR}/resources/artwork)
add_custom_command(
  OUTPUT ${VQ_SETUP}
  COMMAND ${VQ_MAKENSIS} -V2 -WX -DVQ_TARGET=${VQ_NSIS_TARGET} -DVQ_VERSION=${VQ_VERSION}
          -DVQ_VERSION4=${VQ_VERSION}.0 -DVQ_ARCH_TEXT=${VQ_ARCH_TEXT} -DVQ_STAGE=${VQ_STAGE}
          -DVQ_ICON=${VQ_SETUP_ARTWORK}/program.ico
          -DVQ_SIDE_BITMAP=${VQ_SETUP_ARTWORK}/installer_side.bmp -DVQ_OUTFILE=${VQ_SETUP}
          ${VQ_SETUP_SCRIPT}
  COMMAND ${CMAKE_COMMAND} -DFILE=${VQ_SETUP} -DMACHINE=${VQ_PE_MACHINE} -P
          ${CMAKE_SOURCE_DIR}/cmake/check_pe_header.cmake
  DEPENDS vq_stage ${VQ_STAGE_STAMP} vq_artwork ${VQ_SETUP_SCRIPT}
          ${VQ_SETUP_ARTWORK}/program.ico ${VQ_SETUP_ARTWORK}/installer_side.bmp
          ${CMAKE_SOURCE_DIR}/cmake/check_pe_header.cmake
  COMMENT "Building the installer ${VQ_SETUP_NAME}"
  VERBATIM)
add_custom_target(vq_setup ALL DEPENDS ${VQ_SETUP})
