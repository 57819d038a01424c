# perlowan_test(<name> SOURCES <files...> LIBS <libs...>)
# One test executable per unit, discovered by CTest test by test.
function(perlowan_test name)
  if(NOT PERLOWAN_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    PERLOWAN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    PERLOWAN_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
