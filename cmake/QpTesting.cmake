# qp_gtest(NAME sources... LIBS libs...)
#   A GoogleTest binary registered with CTest, one CTest entry per test case,
#   so that `ctest -j` spreads them over the cores.
# qp_qtest(NAME sources... LIBS libs...)
#   A Qt Test binary run on the offscreen platform.
include(GoogleTest)

function(qp_gtest name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  if(NOT ARG_UNPARSED_ARGUMENTS)
    return()  # a folder without tests yet
  endif()
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qp_test_support GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

function(qp_qtest name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qp_test_support Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
