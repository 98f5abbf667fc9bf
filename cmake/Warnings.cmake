# Our own targets build with warnings as errors; call on every target we own.
function(zanvoro_warnings target)
  # g++ 12 with optimisation reports false positives in the standard library
  # headers: -Wrestrict inside std::string concatenation (GCC bug 105329) and
  # -Wmaybe-uninitialized inside std::variant's copy (GCC bug 105562). Both
  # stay errors in unoptimised builds, where they are reliable.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                         -Wno-missing-field-initializers
                         $<$<NOT:$<CONFIG:Debug>>:-Wno-restrict -Wno-maybe-uninitialized>)
endfunction()

# A library of ours: zanvoro_library(name SOURCES... DEPS...)
function(zanvoro_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  zanvoro_warnings(${name})
endfunction()

# One test executable per library: zanvoro_test(name [POSTGRES] [SHARDS n]
# [COST seconds] SOURCES... DEPS...). POSTGRES: its tests run while the test
# run's PostgreSQL server (tests/host/db/TestServer.h) is up.
#
# The executable runs whole, split into SHARDS processes (gtest's sharding)
# that ctest runs side by side: a sanitized test program takes a good part of
# a second to start and to check for leaks at its end, more than most of its
# tests take, so one process per test would spend most of the run starting.
# COST is about how long the whole executable runs; the longest start first.
set(ZANVORO_TEST_PG_DIR ${CMAKE_BINARY_DIR}/pg-test)
function(zanvoro_test name)
  cmake_parse_arguments(ARG "POSTGRES" "SHARDS;COST" "SOURCES;DEPS" ${ARGN})
  set(server)
  if(ARG_POSTGRES)
    list(APPEND ARG_DEPS zanvoro_test_server)
    set(server FIXTURES_REQUIRED postgres)
  endif()
  if(NOT ARG_SHARDS)
    set(ARG_SHARDS 1)
  endif()
  if(NOT ARG_COST)
    set(ARG_COST 1)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  zanvoro_warnings(${name})
  # A test executable compiles its files a few at a time in one unit: the
  # test framework's headers dominate each file's compile time.
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 4)
  math(EXPR last "${ARG_SHARDS} - 1")
  math(EXPR cost "${ARG_COST} / ${ARG_SHARDS}")
  foreach(shard RANGE ${last})
    set(test ${name})
    if(ARG_SHARDS GREATER 1)
      set(test ${name}_${shard})
    endif()
    add_test(NAME ${test} COMMAND ${name})
    set_tests_properties(${test} PROPERTIES COST ${cost} ${server}
      ENVIRONMENT "ZANVORO_TEST=1;GTEST_TOTAL_SHARDS=${ARG_SHARDS};GTEST_SHARD_INDEX=${shard}")
  endforeach()
endfunction()
