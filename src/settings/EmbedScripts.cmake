# Writes a C++ source holding the settings database scripts as raw strings:
#   cmake -DSQL_DIR=<resources/sql> -DOUTPUT=<SettingsScriptData.cpp>
#         -P EmbedScripts.cmake
set(delimiter "zanvoro_sql")
set(out "// Generated from resources/sql by EmbedScripts.cmake. Do not edit.\n")
string(APPEND out "#include \"settings/SettingsScriptData.h\"\n\nnamespace zanvoro {\n\n")
foreach(pair "SqliteSettingsScript;settings-sqlite.sql"
             "PostgresqlSettingsScript;settings-postgresql.sql")
  list(GET pair 0 function)
  list(GET pair 1 file)
  file(READ "${SQL_DIR}/${file}" text)
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} holds the embedding delimiter )${delimiter}\"")
  endif()
  string(APPEND out "std::string_view ${function}() {\n  return R\"${delimiter}(${text})${delimiter}\";\n}\n\n")
endforeach()
string(APPEND out "}  // namespace zanvoro\n")
file(WRITE "${OUTPUT}" "${out}")
