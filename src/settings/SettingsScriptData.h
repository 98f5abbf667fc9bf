// The settings database scripts of resources/sql, compiled in
// (EmbedScripts.cmake writes their definitions).
#pragma once

#include <string_view>

namespace zanvoro {

std::string_view SqliteSettingsScript();
std::string_view PostgresqlSettingsScript();

}  // namespace zanvoro
