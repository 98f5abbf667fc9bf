// The store file's schema: the tables of every version, making a new store
// at a version, migrating an older one forward in one transaction, the meta
// values (schema version, store id, display name, owner, kind), and the
// checks a file must pass before it is taken for a store.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/store/SqliteConnection.h"
#include "host/store/StandardProperty.h"
#include "host/store/StoreTypes.h"

namespace zanvoro::host {

struct NewStore;

// Tables every store has from version 1 on.
inline constexpr std::string_view kRequiredTables[] = {
    "meta",           "folders",     "folder_permissions",
    "property_names", "items",       "item_properties",
    "recipients",     "attachments", "change_log"};

// The item table's column of a standard property ("\"subject\"").
std::string ColumnName(const StandardProperty& p);
// The item table's standard property columns of schema `version`, comma
// separated.
std::string ItemColumns(int version);

void SetMeta(SqliteConnection& impl, std::string_view key, std::string_view value);
// "" when the key is not there.
std::string GetMeta(SqliteConnection& impl, std::string_view key);
bool TableExists(SqliteConnection& impl, std::string_view name);

// Adds a folder row with a new entry id below `parent_id` (0: the root);
// returns its id.
int64_t InsertFolder(SqliteConnection& impl, int64_t parent_id, std::string_view name,
                     ItemType type, int32_t special);

// Makes the tables of schema `version`, the meta values and the folders of
// `create`, in one transaction; does nothing when another session made the
// store meanwhile.
void CreateStore(SqliteConnection& impl, int version, const NewStore& create);
// Brings a store of schema `from` to SqliteBackend::kSchemaVersion.
void Migrate(SqliteConnection& impl, int from);

// Raises Error(err::kCorruptData): the file "<what>", with the first fault
// the integrity check finds in it. The check reads the whole file, so it
// runs only once the file is known to be wrong.
[[noreturn]] void RaiseDamaged(SqliteConnection& impl, const std::string& what);

}  // namespace zanvoro::host
