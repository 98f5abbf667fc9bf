// Which lists the global settings load, reload and save together: the load
// order of a whole load, the lists of a reload section, and the lists of
// save section 12 (everything).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "settings/SettingsList.h"
#include "settings/SettingsStore.h"

namespace zanvoro {

// The order in which the lists load; the counters come last from the
// settings folder (they have their own item), first from a database.
enum class CountersAt { First, Last };
std::vector<SettingsList> SettingsLoadOrder(CountersAt counters);

// Save section 12: everything, the counters only into a database.
std::vector<SettingsList> ListsOfSaveEverything(bool database);

// The lists reload section `section` re-reads from a store of `kind` (see
// cGlobalSettings::ReloadSettings); nullopt for a section that reads
// nothing.
std::optional<std::vector<SettingsList>> ListsToReload(int32_t section,
                                                       SettingsStoreKind kind);

}  // namespace zanvoro
