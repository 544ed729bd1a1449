# wrenfield_add_test(NAME SOURCES... LIBS...): one GoogleTest executable registered with CTest.
# On the Windows build CTest runs it through CMAKE_CROSSCOMPILING_EMULATOR (Wine).
function(wrenfield_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    WRENFIELD_SHARED_DIR="${CMAKE_SOURCE_DIR}/../shared")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 1200)
endfunction()
