# Read by ctest before it runs anything (see korvex_add_qttest in tests/CMakeLists.txt):
# asks a Qt Test program for its test functions and registers each as a test of its
# own. One function per test lets ctest report a function that calls QSKIP as
# skipped without hiding a failure of another function in the same program.
function(korvex_discover_qttests executable prefix)
  if(NOT EXISTS "${executable}")
    add_test("${prefix}_NOT_BUILT" "${prefix}_NOT_BUILT")
    return()
  endif()
  set(saved_platform "$ENV{QT_QPA_PLATFORM}")
  set(ENV{QT_QPA_PLATFORM} offscreen)
  execute_process(COMMAND "${executable}" -functions
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 60)
  set(ENV{QT_QPA_PLATFORM} "${saved_platform}")
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
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
      SKIP_REGULAR_EXPRESSION "\nSKIP +: ")
  endforeach()
endfunction()
