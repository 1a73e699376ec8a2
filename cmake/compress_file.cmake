# Compresses a file as Debian ships manual pages and changelogs, run as a script at build time:
#
#   cmake -DGZIP=/usr/bin/gzip -DINPUT=file -DOUTPUT=file.gz -P compress_file.cmake
#
# at gzip's highest level and without the file's name or time stamp, so that the same input
# always gives the same bytes.
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${GZIP} -9 -n -c ${INPUT} OUTPUT_FILE ${OUTPUT}.new RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT}.new)
  message(FATAL_ERROR "gzip cannot compress ${INPUT}")
endif()
file(RENAME ${OUTPUT}.new ${OUTPUT})
