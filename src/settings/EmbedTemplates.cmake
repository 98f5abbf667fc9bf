# Writes a C++ source holding every default template page as a raw string:
#   cmake -DTEMPLATE_DIR=<resources/templates> -DNAMES=NEWCASE,PRINT,...
#         -DOUTPUT=<DefaultTemplateData.cpp> -P EmbedTemplates.cmake
# Each name is read from en/<NAME>.html and fr/<NAME>.html; a missing page
# stops the build.
set(delimiter "zanvoro_tpl")
string(REPLACE "," ";" names "${NAMES}")
set(out "// Generated from resources/templates by EmbedTemplates.cmake. Do not edit.\n")
string(APPEND out "#include \"settings/DefaultTemplateData.h\"\n\n")
string(APPEND out "namespace zanvoro {\n\nnamespace {\n\nconstexpr EmbeddedTemplate kPages[] = {\n")
foreach(language en fr)
  foreach(name IN LISTS names)
    set(page "${TEMPLATE_DIR}/${language}/${name}.html")
    if(NOT EXISTS "${page}")
      message(FATAL_ERROR "Default template page missing: ${page}")
    endif()
    file(READ "${page}" text)
    string(FIND "${text}" ")${delimiter}\"" clash)
    if(NOT clash EQUAL -1)
      message(FATAL_ERROR "${page} holds the embedding delimiter )${delimiter}\"")
    endif()
    string(APPEND out "    {\"${language}\", \"${name}\",\n     R\"${delimiter}(${text})${delimiter}\"},\n")
  endforeach()
endforeach()
string(APPEND out "};\n\n}  // namespace\n\n")
string(APPEND out "std::span<const EmbeddedTemplate> EmbeddedTemplates() { return kPages; }\n\n")
string(APPEND out "}  // namespace zanvoro\n")
file(WRITE "${OUTPUT}" "${out}")
