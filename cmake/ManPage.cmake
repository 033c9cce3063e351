# Writes the manual page of korvex-batch from what the program says of itself: the
# header from its --version, the page from its --help, so the two never disagree.
#   cmake -DPROGRAM=path/to/korvex-batch -DOUTPUT=korvex-batch.1 -P cmake/ManPage.cmake
# In --help, a line "Heading:" at the left margin opens a section and the indented
# lines under it keep their columns.

foreach(argument IN ITEMS --help --version)
  execute_process(COMMAND ${PROGRAM} ${argument} OUTPUT_VARIABLE said RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${argument} ended with status ${status}")
  endif()
  string(REPLACE "--" "" name "${argument}")
  set(${name} "${said}")
endforeach()
string(STRIP "${version}" version)

# Text as roff shows it literally: backslashes, minus signs (so that options can be
# copied from the page), and a dot or an apostrophe that would open a request.
function(roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

roff(title "${version}")
set(page ".TH KORVEX\\-BATCH 1 \"\" \"${title}\" \"User Commands\"\n.nh\n")
string(APPEND page ".SH NAME\nkorvex\\-batch \\- the analyses of KORVEX from the command line\n")

string(REPLACE ";" "\\;" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(synopsis TRUE)
set(preformatted FALSE)
string(APPEND page ".SH SYNOPSIS\n.nf\n")
foreach(line IN LISTS lines)
  if(synopsis)
    if(line STREQUAL "")
      string(APPEND page ".fi\n.SH DESCRIPTION\n"
             "Compares the specimens of a KORVEX data file, lists the distances between its "
             "records, simulates their distribution, and evaluates and checks a catalogue, on "
             "the same rules as the program's windows; each result is printed as the window "
             "puts it on the clipboard.\n")
      set(synopsis FALSE)
    else()
      string(REGEX REPLACE "^(Usage:)? +" "" line "${line}")
      roff(line "${line}")
      string(APPEND page "${line}\n")
    endif()
    continue()
  endif()
  if(line MATCHES "^[^ ].*:$")
    if(preformatted)
      string(APPEND page ".fi\n")
    endif()
    string(REGEX REPLACE ":$" "" line "${line}")
    roff(line "${line}")
    string(APPEND page ".SS ${line}\n.nf\n")
    set(preformatted TRUE)
  elseif(line STREQUAL "")
    if(preformatted)
      string(APPEND page ".fi\n")
      set(preformatted FALSE)
    endif()
    string(APPEND page ".PP\n")
  else()
    roff(line "${line}")
    string(APPEND page "${line}\n")
  endif()
endforeach()
if(preformatted)
  string(APPEND page ".fi\n")
endif()
string(APPEND page ".SH SEE ALSO\nThe guide in the Help menu of \\fBkorvex\\fR, the window program.\n")
file(WRITE "${OUTPUT}" "${page}")
