# The manual page keeps every line korvex-batch --help prints, and names the version
# --version prints:
#   cmake -DPROGRAM=korvex-batch -DMAKER=cmake/ManPage.cmake -DOUTPUT=dir/page.1 -P ManPageTest.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -DPROGRAM=${PROGRAM} -DOUTPUT=${OUTPUT} -P ${MAKER}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the manual page was not made")
endif()
file(READ ${OUTPUT} page)
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help)
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version)
string(STRIP "${version}" version)
string(REPLACE "-" "\\-" version "${version}")

set(failures "")
foreach(expected IN ITEMS ".TH KORVEX\\-BATCH 1 \"\" \"${version}\"" "\n.SH NAME\n"
                          "\n.SH SYNOPSIS\n" "\n.SH DESCRIPTION\n")
  string(FIND "${page}" "${expected}" at)
  if(at EQUAL -1)
    list(APPEND failures "missing: ${expected}")
  endif()
endforeach()

# Each line of --help, as roff writes it: minus signs escaped, a heading without its colon.
string(REPLACE ";" "\\;" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^(Usage:)? +" "" line "${line}")
  string(REGEX REPLACE "^([^ ].*):$" "\\1" line "${line}")
  if(line STREQUAL "")
    continue()
  endif()
  string(REPLACE "\\" "\\e" line "${line}")
  string(REPLACE "-" "\\-" line "${line}")
  string(FIND "${page}" "${line}\n" at)
  if(at EQUAL -1)
    list(APPEND failures "lost: ${line}")
  endif()
endforeach()
if(failures)
  list(JOIN failures "\n" failures)
  message(FATAL_ERROR "${failures}")
endif()
