# The user's guide and the zip for Windows users.
#
# The guide is compiled from the HTML pages in resources/help/ into Help/Veilquill.chm with
# chmcmd (Debian package fp-utils). The zip holds one folder laid out the way the program
# looks for its help, one level above its own folder:
#
#   Veilquill/Program/Veilquill.exe
#   Veilquill/Program/veilquill-cli.exe   (the command-line program, sharing Program/Data)
#   Veilquill/Help/Veilquill.chm
#   Veilquill/ReadMe.txt
#
# Each build tree makes the zip of its own processor: Veilquill-<version>-win32.zip from the
# i686 build, Veilquill-<version>-win64.zip from the x86_64 build.

find_program(VQ_CHMCMD chmcmd)
if(NOT VQ_CHMCMD)
  message(FATAL_ERROR "chmcmd not found: install the Debian package fp-utils (tools/setup.sh)")
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

# ---- The zip --------------------------------------------------------------------------------

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(VQ_ZIP_ARCH win64)
  set(VQ_ARCH_TEXT "64-bit")
else()
  set(VQ_ZIP_ARCH win32)
  set(VQ_ARCH_TEXT "32-bit")
endif()
set(VQ_VERSION ${PROJECT_VERSION})
set(VQ_ZIP_NAME Veilquill-${VQ_VERSION}-${VQ_ZIP_ARCH}.zip)
set(VQ_ZIP ${CMAKE_BINARY_DIR}/${VQ_ZIP_NAME})

# Windows users read the note with Notepad: CRLF line ends.
set(VQ_README ${CMAKE_BINARY_DIR}/package_files/ReadMe.txt)
configure_file(${VQ_HELP_SOURCE_DIR}/ReadMe.txt.in ${VQ_README} @ONLY NEWLINE_STYLE CRLF)

set(VQ_STAGE_DIR ${CMAKE_BINARY_DIR}/package_stage)
set(VQ_STAGE ${VQ_STAGE_DIR}/Veilquill)
# The shipped programs carry no symbols.
if(CMAKE_STRIP)
  set(vq_strip_command ${CMAKE_STRIP} --strip-all ${VQ_STAGE}/Program/Veilquill.exe
                       ${VQ_STAGE}/Program/veilquill-cli.exe)
else()
  set(vq_strip_command ${CMAKE_COMMAND} -E true)
endif()
add_custom_command(
  OUTPUT ${VQ_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VQ_STAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VQ_STAGE}/Program ${VQ_STAGE}/Help
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Veilquill> ${VQ_STAGE}/Program/Veilquill.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:veilquill-cli>
          ${VQ_STAGE}/Program/veilquill-cli.exe
  COMMAND ${vq_strip_command}
  COMMAND ${CMAKE_COMMAND} -E copy ${VQ_HELP_CHM} ${VQ_STAGE}/Help/Veilquill.chm
  COMMAND ${CMAKE_COMMAND} -E copy ${VQ_README} ${VQ_STAGE}/ReadMe.txt
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VQ_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VQ_STAGE_DIR} ${CMAKE_COMMAND} -E tar cf ${VQ_ZIP}
          --format=zip Veilquill
  DEPENDS Veilquill veilquill-cli ${VQ_HELP_CHM} ${VQ_README}
  COMMENT "Packing ${VQ_ZIP_NAME}"
  VERBATIM)
add_custom_target(vq_zip ALL DEPENDS ${VQ_ZIP})
