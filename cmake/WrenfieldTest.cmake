# wrenfield_add_test(NAME SOURCES... LIBS... [FIXTURES]): one GoogleTest
# executable registered with CTest; on the Windows build CTest runs it through
# CMAKE_CROSSCOMPILING_EMULATOR (Wine). With FIXTURES, the suites named
# Fixture* (they read the shared fixtures) run as a CTest entry of their own,
# NAME_fixtures, which CTest reports as skipped when the fixtures are absent.
function(wrenfield_add_test name)
  cmake_parse_arguments(T "FIXTURES" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} wrenfield_gtest_support GTest::gtest
    GTest::gtest_main)
  # The test variant of Wrenfield's base library: its file layer holds the fault seam.
  set_target_properties(${name} PROPERTIES WRENFIELD_FAULT_SEAM ON)
  if(T_FIXTURES)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 --gtest_filter=-Fixture*)
    add_test(NAME ${name}_fixtures COMMAND ${name} --gtest_brief=1 --gtest_filter=Fixture*)
    set_tests_properties(${name}_fixtures PROPERTIES TIMEOUT 1200
      SKIP_REGULAR_EXPRESSION "tests skipped: shared fixtures absent")
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 1200)
endfunction()
