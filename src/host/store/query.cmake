zanvoro_library(zanvoro_store_query
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Filter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableQuery.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Recordset.cpp
  DEPS zanvoro_runtime)
