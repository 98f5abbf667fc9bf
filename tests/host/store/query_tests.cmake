zanvoro_test(store_query_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FilterTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableQueryTest.cpp
  DEPS zanvoro_store_query SQLite::SQLite3)
