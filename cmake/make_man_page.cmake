# Builds a manual page from its scdoc source, run as a script at build time:
#
#   cmake -DSCDOC=/usr/bin/scdoc -DSOURCE=page.1.scd -DVERSION=1.0.1 -DOUTPUT=page.1 -P make_man_page.cmake
#
# writes OUTPUT in roff, with VERSION put in for @VERSION@, and no word hyphenated.
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
# scdoc turns hyphenation off before the title line, whose macro turns it on again: paths and
# option names would be split across lines. It is turned off after the title.
file(READ ${OUTPUT}.new page)
string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nh\n" page "${page}")
file(WRITE ${OUTPUT} "${page}")
file(REMOVE ${OUTPUT}.new)
