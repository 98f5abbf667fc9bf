# Writes a C++ source holding the web interface's files as raw strings:
#   cmake -DASSET_DIR=<resources/web> -DOUTPUT=<WebAssetData.cpp> -P EmbedWebAssets.cmake
set(delimiter "zanvoro_web")
set(out "// Generated from resources/web by EmbedWebAssets.cmake. Do not edit.\n")
string(APPEND out "#include \"host/web/WebAssets.h\"\n\nnamespace zanvoro::host {\n\n")
foreach(pair "css;zanvoro.css" "js;zanvoro.js")
  list(GET pair 0 kind)
  list(GET pair 1 name)
  file(READ "${ASSET_DIR}/${name}" text)
  string(APPEND out "const char* WebAsset_${kind}() {\n  return R\"${delimiter}(${text})${delimiter}\";\n}\n\n")
endforeach()
string(APPEND out "}  // namespace zanvoro::host\n")
file(WRITE "${OUTPUT}" "${out}")
