// The reference lists and the key/value stores as CSV files (Csv.h), so that
// an administrator can read and fill them from a shell. A file has a header
// row with the list's column names (the fields in text-form order; KeyID
// and KeyVal for the general settings and the counters) and one record per
// entry, in the list's order.
//
// Importing checks every record first: the header, the number of fields,
// a non-empty key, no key twice (letter case ignored), numbers where the
// field is a number ("Rate", "DefaultMinutes") and yes/no values
// ("AdminAccess": empty, 0, 1, -1, True or False). Any problem raises one
// Error(err::kInvalidProcedureCall) listing every bad line, and the list
// is left as it was; otherwise the file replaces the whole list.
//
// The message templates are not transferred this way.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingsList.h"

namespace zanvoro {

class cGlobalSettings;

// The list `name` names: its table name ("tCallers") or that name without
// its "t" ("Callers"), letter case ignored; nullopt for another name or a
// list that cannot be transferred.
std::optional<SettingsList> TransferListFromName(std::string_view name);
// The names without "t" of every list that can be transferred.
std::vector<std::string> TransferListNames();
// The column names of `list`'s file.
std::vector<std::string> TransferColumns(SettingsList list);

// The key an entry of `list` with `fields` (in text-form order; KeyID and
// KeyVal for the key/value stores, the name first for the templates) files
// under, as the list itself keys it.
std::string ListKeyOfFields(SettingsList list, const std::vector<std::string>& fields);

std::string ExportListCsv(const cGlobalSettings& settings, SettingsList list);
void ImportListCsv(cGlobalSettings& settings, SettingsList list, std::string_view csv);

}  // namespace zanvoro
