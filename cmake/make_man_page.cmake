# Builds a manual page from its scdoc source, run as a script at build time:
#
#   cmake -DSCDOC=/usr/bin/scdoc -DSOURCE=page.1.scd -DVERSION=1.0.1 -DOUTPUT=page.1 -P make_man_page.cmake
#
# writes OUTPUT in roff, with VERSION put in for @VERSION@.
cmake_minimum_required(VERSION 3.20)
file(READ ${SOURCE} text)
string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
file(WRITE ${OUTPUT}.scd "${text}")
execute_process(COMMAND ${SCDOC} INPUT_FILE ${OUTPUT}.scd OUTPUT_FILE ${OUTPUT}.new
                RESULT_VARIABLE status ERROR_VARIABLE problem)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT}.new)
  message(FATAL_ERROR "scdoc cannot read ${SOURCE}: ${problem}")
endif()
file(RENAME ${OUTPUT}.new ${OUTPUT})
