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

# One test executable per library: zanvoro_test(name [POSTGRES] SOURCES...
# DEPS...). POSTGRES: its tests run while the test run's PostgreSQL server
# (tests/host/db/TestServer.h) is up.
set(ZANVORO_TEST_PG_DIR ${CMAKE_BINARY_DIR}/pg-test)
function(zanvoro_test name)
  cmake_parse_arguments(ARG "POSTGRES" "" "SOURCES;DEPS" ${ARGN})
  set(server)
  if(ARG_POSTGRES)
    list(APPEND ARG_DEPS zanvoro_test_server)
    set(server FIXTURES_REQUIRED postgres)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  zanvoro_warnings(${name})
  # A test executable compiles its files a few at a time in one unit: the
  # test framework's headers dominate each file's compile time.
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 4)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "ZANVORO_TEST=1" ${server})
endfunction()
