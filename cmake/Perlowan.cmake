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

# perlowan_runtime_part(<object library>)
# Builds a directory's object library into the shared runtime library PerlowanRuntime.
function(perlowan_runtime_part target)
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(${target} PRIVATE PERLOWAN_RUNTIME_BUILD)
  target_link_libraries(PerlowanRuntime PRIVATE ${target})
endfunction()
