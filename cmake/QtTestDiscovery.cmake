# Read by ctest before it runs anything (see korvex_add_qttest in tests/CMakeLists.txt):
# asks a Qt Test program for its test functions and registers each as a test of its
# own. One function per test lets ctest report a function that calls QSKIP as
# skipped without hiding a failure of another function in the same program.
# `environment` is a list of VAR=value settings each test runs with, besides the
# offscreen platform.
function(korvex_discover_qttests executable prefix environment)
  if(NOT EXISTS "${executable}")
    add_test("${prefix}_NOT_BUILT" "${prefix}_NOT_BUILT")
    return()
  endif()
  # The program is listed with the settings its tests run with: it may need them to start.
  set(settings "QT_QPA_PLATFORM=offscreen;${environment}")
  set(saved "")
  foreach(setting IN LISTS settings)
    string(REGEX MATCH "^[^=]+" variable "${setting}")
    if(variable)
      list(APPEND saved "${variable}=$ENV{${variable}}")
      string(REGEX REPLACE "^[^=]+=" "" value "${setting}")
      set(ENV{${variable}} "${value}")
    endif()
  endforeach()
  # Listing its functions, a Qt Test program ends at once from within QTest (exit()), so the
  # temporary folders its test object or main() made are never removed: they go to a folder
  # of the listing's own, removed with them, and not to the system's temporary folder.
  string(RANDOM LENGTH 8 suffix)
  get_filename_component(folder "${executable}" DIRECTORY)
  set(scratch "${folder}/${prefix}-listing-${suffix}")
  file(MAKE_DIRECTORY "${scratch}")
  set(temporary "$ENV{TMPDIR}")
  set(ENV{TMPDIR} "${scratch}")
  execute_process(COMMAND "${executable}" -functions
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 60)
  set(ENV{TMPDIR} "${temporary}")
  file(REMOVE_RECURSE "${scratch}")
  foreach(setting IN LISTS saved)
    string(REGEX MATCH "^[^=]+" variable "${setting}")
    string(REGEX REPLACE "^[^=]+=" "" value "${setting}")
    set(ENV{${variable}} "${value}")
  endforeach()
  string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" functions "${listing}")
  if(NOT status EQUAL 0 OR NOT functions)
    # A program that cannot even list its functions is a failing test, not a missing one.
    add_test("${prefix}_NOT_LISTED" "${executable}" -functions)
    return()
  endif()
  foreach(function IN LISTS functions)
    string(REPLACE "()" "" function "${function}")
    add_test("${prefix}.${function}" "${executable}" "${function}")
    set_tests_properties("${prefix}.${function}" PROPERTIES
      ENVIRONMENT "${settings}"
      SKIP_REGULAR_EXPRESSION "\nSKIP +: ")
  endforeach()
endfunction()
