// Empty: the target exists to precompile the test framework header for the
// test programs (tests/CMakeLists.txt).
