find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(PostgreSQL REQUIRED)
find_package(LibXml2 REQUIRED)
find_package(CURL REQUIRED)
find_package(pugixml REQUIRED)
find_package(fmt REQUIRED)
find_package(nlohmann_json 3.11 REQUIRED)
find_package(CLI11 REQUIRED)
find_package(date REQUIRED)
find_package(GTest REQUIRED)
pkg_check_modules(VMIME REQUIRED IMPORTED_TARGET vmime>=0.9.2)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib>=0.11)

# SOCI ships neither a CMake config nor a .pc file.
find_path(SOCI_INCLUDE_DIR soci/soci.h REQUIRED)
find_library(SOCI_CORE_LIBRARY soci_core REQUIRED)
find_library(SOCI_SQLITE3_LIBRARY soci_sqlite3 REQUIRED)
find_library(SOCI_POSTGRESQL_LIBRARY soci_postgresql REQUIRED)
add_library(SOCI::core UNKNOWN IMPORTED)
set_target_properties(SOCI::core PROPERTIES IMPORTED_LOCATION ${SOCI_CORE_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${SOCI_INCLUDE_DIR})
add_library(SOCI::sqlite3 UNKNOWN IMPORTED)
set_target_properties(SOCI::sqlite3 PROPERTIES IMPORTED_LOCATION ${SOCI_SQLITE3_LIBRARY}
                      INTERFACE_LINK_LIBRARIES "SOCI::core;SQLite::SQLite3")
add_library(SOCI::postgresql UNKNOWN IMPORTED)
set_target_properties(SOCI::postgresql PROPERTIES IMPORTED_LOCATION ${SOCI_POSTGRESQL_LIBRARY}
                      INTERFACE_LINK_LIBRARIES "SOCI::core;PostgreSQL::PostgreSQL")
