#include "settings/SettingsDatabaseStore.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "host/db/Soci.h"
#include "host/db/SqlSession.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/Array2D.h"
#include "settings/ListText.h"
#include "settings/ListTransfer.h"
#include "settings/SettingsDatabase.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {

namespace {

namespace db = host::db;
using K = SettingsColumnKind;
using L = SettingsList;

constexpr const char* kSource = "SettingsDatabase";

Error Failure(const std::string& what, const std::exception& cause) {
  return Error(err::kCallFailed, what + ": " + cause.what(), kSource);
}

struct StoredRow {
  long long id = 0;
  std::vector<std::string> fields;  // the table's fields in text-form order
};

SettingsColumnKind KindOf(const SettingsTable& table, const std::string& field) {
  for (const SettingsColumn& column : table.columns) {
    if (TextEquals(column.name, field)) return column.kind;
  }
  return K::Text;
}

// A yes/no value as the lists keep it: "1" or "0"; "" for none.
std::string YesNoText(const std::string& value) {
  std::string text = LCase(Trim(value));
  if (text.empty()) return {};
  if (text == "true" || text == "t") return "1";
  if (text == "false" || text == "f") return "0";
  return IsNumeric(text) && CDbl(Variant(text)) != 0 ? "1" : "0";
}

// The rows of `table` in the loader's order; fields whose column is
// missing read as "".
std::vector<StoredRow> ReadRows(soci::session& session, const std::string& location,
                                const SettingsTable& table) {
  std::vector<std::string> columns = TableColumns(session, location, table.name);
  if (columns.empty()) {
    throw Error(
        err::kCallFailed,
        std::string(table.name) + " is missing from the settings database " + location,
        kSource);
  }
  // Every column is read as text under a name of its own, so that ORDER BY
  // names the table's columns, never these.
  std::string sql = "SELECT CAST(ID AS TEXT) AS zv_id";
  std::vector<bool> present;
  for (size_t f = 0; f < table.fields.size(); ++f) {
    const std::string& field = table.fields[f];
    bool there = std::find(columns.begin(), columns.end(), LCase(field)) != columns.end();
    present.push_back(there);
    if (there) sql += ", CAST(" + field + " AS TEXT) AS zv_" + std::to_string(f);
  }
  sql += " FROM " + std::string(table.name) + " ORDER BY " + table.order_by;
  std::vector<std::vector<std::optional<std::string>>> texts;
  try {
    texts = QueryTexts(session, sql);
  } catch (const Error& e) {
    throw Failure(std::string(table.name) + " cannot be read from " + location, e);
  }
  std::vector<StoredRow> rows;
  rows.reserve(texts.size());
  for (const auto& text : texts) {
    StoredRow stored;
    stored.id = text[0] ? std::stoll(*text[0]) : 0;
    size_t column = 1;
    for (size_t f = 0; f < table.fields.size(); ++f) {
      std::string value;
      if (present[f]) {
        if (text[column]) value = *text[column];
        ++column;
      }
      if (KindOf(table, table.fields[f]) == K::YesNo) value = YesNoText(value);
      stored.fields.push_back(std::move(value));
    }
    rows.push_back(std::move(stored));
  }
  return rows;
}

void PutRows(cGlobalSettings& settings, const SettingsTable& table,
             const std::vector<StoredRow>& rows) {
  if (table.list == L::GeneralSettings || table.list == L::CounterSettings) {
    cOutlookSettings values;
    for (const StoredRow& row : rows) {
      if (row.fields[0].empty() || values.Exists(row.fields[0])) continue;
      values.SetValue(row.fields[0], row.fields[1]);
    }
    (table.list == L::GeneralSettings ? settings.GeneralSettings
                                      : settings.CounterSettings) = std::move(values);
    return;
  }
  if (table.list == L::NotificationTemplates) {
    cMessageTemplates templates;
    for (const StoredRow& row : rows) {
      if (Trim(row.fields[0]).empty() || templates.Exists(row.fields[0])) continue;
      templates.SetValue(row.fields[0], row.fields[1]);
      templates.SetNotificaionEnabledValue(row.fields[0], row.fields[2] == "1");
    }
    settings.MessageTemplates = std::move(templates);
    return;
  }
  Array2D array(rows.size(), table.fields.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < table.fields.size(); ++c)
      array.Set(r, c, Variant(rows[r].fields[c]));
  }
  settings.ListFromArray(table.list, array);
}

// The list's entries as fields in text-form order.
std::vector<std::vector<std::string>> RecordsOf(const cGlobalSettings& settings,
                                                const SettingsTable& table) {
  std::vector<std::vector<std::string>> records;
  if (table.list == L::GeneralSettings || table.list == L::CounterSettings) {
    const cOutlookSettings& values = table.list == L::GeneralSettings
                                         ? settings.GeneralSettings
                                         : settings.CounterSettings;
    for (const auto& entry : values)
      records.push_back({entry.Value().KeyID, entry.Value().KeyVal});
    return records;
  }
  if (table.list == L::NotificationTemplates) {
    for (const auto& entry : settings.MessageTemplates) {
      const cMessageTemplate& t = entry.Value();
      records.push_back({t.NotificationName, t.NotificationValue, t.Enabled ? "1" : "0"});
    }
    return records;
  }
  Array2D array = settings.ListToArray(table.list);
  for (size_t r = 0; r < array.Rows(); ++r) {
    std::vector<std::string> fields;
    for (size_t c = 0; c < table.fields.size(); ++c)
      fields.push_back(c < array.Columns() ? CellText(array.At(r, c)) : std::string());
    records.push_back(std::move(fields));
  }
  return records;
}

// The values of one row, bound once to a statement and refilled per row.
struct RowValues {
  std::vector<std::string> text;
  std::vector<soci::indicator> null;
  long long id = 0;

  void Fill(const SettingsTable& table, const std::vector<size_t>& written,
            const std::vector<std::string>& fields) {
    for (size_t i = 0; i < written.size(); ++i) {
      const std::string& field = table.fields[written[i]];
      std::string value = fields[written[i]];
      bool absent = false;
      switch (KindOf(table, field)) {
        case K::Text:
        case K::LongText:
          break;
        case K::YesNo:
          value = YesNoText(value);
          absent = value.empty();
          break;
        case K::Integer:
        case K::Money:
          value = Trim(value);
          absent = value.empty() || !IsNumeric(value);
          break;
      }
      text[i] = absent ? std::string() : value;
      null[i] = absent ? soci::i_null : soci::i_ok;
    }
  }
};

void Prepare(soci::statement& statement, RowValues& values, bool with_id,
             const std::string& sql) {
  for (size_t i = 0; i < values.text.size(); ++i)
    statement.exchange(soci::use(values.text[i], values.null[i]));
  if (with_id) statement.exchange(soci::use(values.id));
  statement.alloc();
  statement.prepare(sql);
  statement.define_and_bind();
}

}  // namespace

SettingsDatabaseStore::SettingsDatabaseStore(std::string location)
    : location_(std::move(location)), session_(db::OpenSession(location_)) {
  // Another instance writing the file holds it for a moment; wait for it.
  if (db::BackendOf(location_) == db::SqlBackend::Sqlite)
    db::Execute(*session_, "PRAGMA busy_timeout = 10000");
}

SettingsDatabaseStore::~SettingsDatabaseStore() = default;

SettingsStoreKind SettingsDatabaseStore::Kind() const {
  return db::BackendOf(location_) == db::SqlBackend::Postgresql
             ? SettingsStoreKind::DatabaseServer
             : SettingsStoreKind::DatabaseFile;
}

bool SettingsDatabaseStore::HasSettings() {
  return IsSettingsDatabase(*session_, location_);
}

void SettingsDatabaseStore::ReadLists(cGlobalSettings& settings,
                                      std::span<const SettingsList> lists) {
  for (SettingsList list : lists) {
    try {
      ReadList(settings, SettingsTableOf(list));
    } catch (const Error&) {
      // The list stays as it was; the others are read.
    }
  }
}

void SettingsDatabaseStore::ReadList(cGlobalSettings& settings,
                                     const SettingsTable& table) {
  PutRows(settings, table, ReadRows(*session_, location_, table));
}

bool SettingsDatabaseStore::WriteLists(const cGlobalSettings& settings,
                                       std::span<const SettingsList> lists) {
  for (SettingsList list : lists) WriteList(settings, SettingsTableOf(list));
  return true;
}

void SettingsDatabaseStore::LockForWriting(const SettingsTable& table) {
  if (Kind() == SettingsStoreKind::DatabaseServer) {
    db::Execute(*session_,
                "LOCK TABLE " + std::string(table.name) + " IN SHARE ROW EXCLUSIVE MODE");
  } else {
    // A write, even of nothing, takes the file's write lock before the
    // rows are read, so two writers never both read and then wait.
    db::Execute(*session_,
                "UPDATE " + std::string(table.name) + " SET ID = ID WHERE 1 = 0");
  }
}

void SettingsDatabaseStore::WriteList(const cGlobalSettings& settings,
                                      const SettingsTable& table) {
  std::vector<std::vector<std::string>> records = RecordsOf(settings, table);
  db::Transaction transaction(*session_);
  LockForWriting(table);
  std::vector<StoredRow> stored = ReadRows(*session_, location_, table);
  std::vector<std::string> columns = TableColumns(*session_, location_, table.name);
  std::vector<size_t> written;
  for (size_t f = 0; f < table.fields.size(); ++f) {
    if (std::find(columns.begin(), columns.end(), LCase(table.fields[f])) !=
        columns.end())
      written.push_back(f);
  }
  std::unordered_map<std::string, long long> row_of_key;
  std::vector<long long> surplus;
  for (const StoredRow& row : stored) {
    if (!row_of_key.emplace(LCase(ListKeyOfFields(table.list, row.fields)), row.id)
             .second)
      surplus.push_back(row.id);
  }

  std::string name(table.name);
  std::string update = "UPDATE " + name + " SET ";
  std::string insert = "INSERT INTO " + name + " (";
  std::string placeholders;
  for (size_t i = 0; i < written.size(); ++i) {
    const std::string& field = table.fields[written[i]];
    std::string p = ":v" + std::to_string(i);
    update += (i ? ", " : "") + field + " = " + p;
    insert += (i ? ", " : "") + field;
    placeholders += (i ? ", " : "") + p;
  }
  update += " WHERE ID = :id";
  insert += ") VALUES (" + placeholders + ")";

  RowValues values{std::vector<std::string>(written.size()),
                   std::vector<soci::indicator>(written.size(), soci::i_ok)};
  try {
    soci::statement update_row(*session_);
    Prepare(update_row, values, true, update);
    soci::statement insert_row(*session_);
    Prepare(insert_row, values, false, insert);
    for (const std::vector<std::string>& record : records) {
      values.Fill(table, written, record);
      auto found = row_of_key.find(LCase(ListKeyOfFields(table.list, record)));
      if (found != row_of_key.end()) {
        values.id = found->second;
        row_of_key.erase(found);
        update_row.execute(true);
      } else {
        insert_row.execute(true);
      }
    }
    for (const auto& [key, id] : row_of_key) surplus.push_back(id);
    soci::statement delete_row(*session_);
    delete_row.exchange(soci::use(values.id));
    delete_row.alloc();
    delete_row.prepare("DELETE FROM " + name + " WHERE ID = :id");
    delete_row.define_and_bind();
    for (long long id : surplus) {
      values.id = id;
      delete_row.execute(true);
    }
  } catch (const soci::soci_error& e) {
    throw Failure(name + " cannot be written to " + location_, e);
  }
  transaction.Commit();
}

std::optional<int32_t> SettingsDatabaseStore::AdvanceCounter(cGlobalSettings& settings,
                                                             std::string_view key) {
  const SettingsTable& table = SettingsTableOf(L::CounterSettings);
  db::Transaction transaction(*session_);
  LockForWriting(table);
  std::vector<StoredRow> rows = ReadRows(*session_, location_, table);
  PutRows(settings, table, rows);
  int32_t next = NextCounterValue(settings.CounterSettings, key);
  std::string value = std::to_string(next);
  std::string key_text(key);
  auto row = std::find_if(rows.begin(), rows.end(), [&](const StoredRow& r) {
    return TextEquals(r.fields[0], key_text);
  });
  try {
    soci::statement write(*session_);
    write.exchange(soci::use(value));
    long long id = row != rows.end() ? row->id : 0;
    if (row != rows.end()) {
      write.exchange(soci::use(id));
      write.alloc();
      write.prepare("UPDATE tCounterSettings SET KeyVal = :v WHERE ID = :id");
    } else {
      write.exchange(soci::use(key_text));
      write.alloc();
      write.prepare("INSERT INTO tCounterSettings (KeyVal, KeyID) VALUES (:v, :k)");
    }
    write.define_and_bind();
    write.execute(true);
  } catch (const soci::soci_error& e) {
    throw Failure("The counter " + key_text + " cannot be written to " + location_, e);
  }
  transaction.Commit();
  settings.CounterSettings.SetValue(key, value);
  return next;
}

}  // namespace zanvoro
