#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "host/store/Recordset.h"
#include "host/store/SqliteBackend.h"
#include "host/store/SqliteBackendImpl.h"
#include "host/store/StoreValues.h"
#include "host/store/TableQuery.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

void BindStandard(SqliteQuery& q, int first, const ItemRow& row) {
  for (const StandardProperty& p : StandardProperties()) {
    int index = first + static_cast<int>(p.prop);
    const Variant& v = row.standard[static_cast<size_t>(p.prop)];
    switch (p.kind) {
      case PropKind::Text:
        q.Bind(index, std::string_view(v.IsText() ? v.Text() : CStr(v)));
        break;
      case PropKind::Long:
        q.Bind(index, int64_t{CLng(v)});
        break;
      case PropKind::Date: {
        Date d = CDate(v);
        if (d.IsNoDate()) {
          q.BindNull(index);
        } else {
          q.Bind(index, d.Serial());
        }
        break;
      }
      case PropKind::Boolean:
        q.Bind(index, int64_t{CBool(v) ? 1 : 0});
        break;
    }
  }
}

ItemRow ReadItem(const SqliteQuery& q) {
  ItemRow row;
  row.id = q.Int(0);
  row.entry_id = q.Text(1);
  row.folder_id = q.Int(2);
  row.change_counter = q.Int(3);
  row.creator = q.Text(4);
  row.standard.resize(kPropCount);
  for (const StandardProperty& p : StandardProperties()) {
    int col = 5 + static_cast<int>(p.prop);
    Variant& v = row.standard[static_cast<size_t>(p.prop)];
    switch (p.kind) {
      case PropKind::Text:
        v = Variant(q.Text(col));
        break;
      case PropKind::Long:
        v = Variant(static_cast<int32_t>(q.Int(col)));
        break;
      case PropKind::Date:
        v = q.IsNull(col) ? Variant(Date::NoDate()) : Variant(Date(q.Real(col)));
        break;
      case PropKind::Boolean:
        v = Variant(q.Int(col) != 0);
        break;
    }
  }
  return row;
}

Variant Decode(UserPropertyType type, const SqliteQuery& q, int text_col, int num_col) {
  return DecodeUserProperty(type, q.Text(text_col),
                            q.IsNull(num_col) ? std::nullopt
                                              : std::optional<double>(q.Real(num_col)));
}

// Raised when an update or delete found no row with the expected counter.
[[noreturn]] void RaiseConflict(SqliteBackend::Impl& impl, int64_t item_id) {
  SqliteQuery q(impl, "SELECT change_counter FROM items WHERE id = ?1");
  q.Bind(1, item_id);
  if (q.Step()) throw ObjectChangedError(kStoreSource);
  throw ObjectDeletedError(kStoreSource);
}

}  // namespace

int64_t NameId(SqliteBackend::Impl& impl, std::string_view name, bool create) {
  std::string key = LCase(name);
  auto it = impl.name_ids.find(key);
  if (it != impl.name_ids.end()) return it->second;
  {
    SqliteQuery q(impl, "SELECT id FROM property_names WHERE name = ?1");
    q.Bind(1, name);
    if (q.Step()) {
      int64_t id = q.Int(0);
      impl.name_ids.emplace(key, id);
      return id;
    }
  }
  if (!create) return 0;
  SqliteQuery(impl, "INSERT INTO property_names(name) VALUES(?1)").Bind(1, name).Run();
  int64_t id = sqlite3_last_insert_rowid(impl.db);
  impl.name_ids.emplace(key, id);
  return id;
}

// Makes the partial indexes of the user properties conditions asked for since
// the last query, so the query about to run can use them. Creating an index
// changes the schema, so it waits for a moment with no transaction and no
// statement of this connection running; until then a query still answers,
// only without the index. Another session may make the same index at the same
// moment: the write lock puts one after the other and the second finds it
// there. Statements cached by any connection are prepared again by SQLite
// when they meet the new schema.
void EnsureSearchIndexes(SqliteBackend::Impl& impl) {
  if (impl.to_index.empty() || impl.in_transaction || impl.active_queries != 0) return;
  std::set<int64_t> pending = std::move(impl.to_index);
  impl.to_index.clear();
  for (int64_t name_id : pending) {
    const std::string id = std::to_string(name_id);
    const std::string text_index = "item_properties_text_" + id;
    const std::string number_index = "item_properties_number_" + id;
    {
      SqliteQuery q(impl,
                    "SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                    "name IN (?1, ?2)) + (SELECT count(*) FROM searched_properties WHERE "
                    "name_id = ?3)");
      q.Bind(1, std::string_view(text_index))
          .Bind(2, std::string_view(number_index))
          .Bind(3, name_id);
      if (q.Step() && q.Int(0) == 3) {
        impl.searched.insert(name_id);
        continue;
      }
    }
    try {
      SqliteTransaction tx(impl);
      impl.Exec("CREATE INDEX IF NOT EXISTS " + text_index +
                " ON item_properties(text_value COLLATE NOCASE) WHERE name_id = " + id);
      impl.Exec("CREATE INDEX IF NOT EXISTS " + number_index +
                " ON item_properties(num_value) WHERE name_id = " + id +
                " AND num_value IS NOT NULL");
      SqliteQuery(impl, "INSERT OR IGNORE INTO searched_properties(name_id) VALUES(?1)")
          .Bind(1, name_id)
          .Run();
      tx.Commit();
      impl.searched.insert(name_id);
    } catch (const Error&) {
      // Busy past the timeout, a read-only file or a full disk: the query
      // answers without the index, and the next one tries again.
      for (int64_t left : pending)
        if (!impl.searched.contains(left)) impl.to_index.insert(left);
      return;
    }
  }
}

std::optional<ItemRow> SqliteBackend::LoadItem(std::string_view entry_id) {
  SqliteQuery q(*impl_,
                "SELECT " + impl_->item_select + " FROM items i WHERE i.entry_id = ?1");
  q.Bind(1, entry_id);
  if (!q.Step()) return std::nullopt;
  return ReadItem(q);
}

std::optional<ItemRow> SqliteBackend::LoadItemById(int64_t id) {
  SqliteQuery q(*impl_, "SELECT " + impl_->item_select + " FROM items i WHERE i.id = ?1");
  q.Bind(1, id);
  if (!q.Step()) return std::nullopt;
  return ReadItem(q);
}

std::vector<PropertyRow> SqliteBackend::LoadProperties(int64_t item_id) {
  return SqliteQuery(
             *impl_,
             "SELECT n.name, p.type, p.text_value, p.num_value FROM item_properties p "
             "JOIN property_names n ON n.id = p.name_id WHERE p.item_id = ?1 ORDER BY "
             "p.name_id")
      .Bind(1, item_id)
      .Rows([](const SqliteQuery& r) {
        auto type = static_cast<UserPropertyType>(r.Int(1));
        return PropertyRow{r.Text(0), type, Decode(type, r, 2, 3)};
      });
}

std::vector<RecipientRow> SqliteBackend::LoadRecipients(int64_t item_id) {
  return SqliteQuery(
             *impl_,
             "SELECT type, name, address, resolved FROM recipients WHERE item_id = ?1 "
             "ORDER BY position")
      .Bind(1, item_id)
      .Rows([](const SqliteQuery& r) {
        return RecipientRow{static_cast<RecipientType>(r.Int(0)), r.Text(1), r.Text(2),
                            r.Int(3) != 0};
      });
}

std::vector<AttachmentRow> SqliteBackend::LoadAttachments(int64_t item_id) {
  return SqliteQuery(*impl_,
                     "SELECT file_name, display_name, content_id, mime_type, data FROM "
                     "attachments "
                     "WHERE item_id = ?1 ORDER BY position")
      .Bind(1, item_id)
      .Rows([](const SqliteQuery& r) {
        return AttachmentRow{r.Text(0), r.Text(1), r.Text(2), r.Text(3), r.Blob(4)};
      });
}

void SqliteBackend::SaveItem(ItemRow& row, const ItemWrite& write) {
  Impl& impl = *impl_;
  ItemRow saved = row;
  SqliteTransaction tx(impl);
  bool added = saved.id == 0;
  if (added) {
    saved.entry_id = NewStoreIdentifier();
    SqliteQuery q(impl, impl.insert_item);
    q.Bind(1, std::string_view(saved.entry_id))
        .Bind(2, saved.folder_id)
        .Bind(3, std::string_view(saved.creator));
    BindStandard(q, 4, saved);
    q.Run();
    saved.id = sqlite3_last_insert_rowid(impl.db);
    saved.change_counter = 1;
  } else {
    SqliteQuery q(impl, impl.update_item);
    q.Bind(1, saved.id).Bind(2, saved.change_counter);
    BindStandard(q, 3, saved);
    q.Run();
    if (sqlite3_changes(impl.db) == 0) RaiseConflict(impl, saved.id);
    ++saved.change_counter;
  }
  for (const std::string& key : write.delivered) {
    SqliteQuery(impl,
                "INSERT INTO delivered_messages(key, entry_id, at) VALUES(?1, ?2, ?3) "
                "ON CONFLICT(key) DO NOTHING")
        .Bind(1, std::string_view(key))
        .Bind(2, std::string_view(saved.entry_id))
        .Bind(3, Now().Serial())
        .Run();
    if (sqlite3_changes(impl.db) == 0) {
      throw Error(err::kKeyAlreadyAssociated,
                  "The message was already delivered (" + key + ").", kStoreSource);
    }
  }
  StoreStep("save:item");
  if (!write.removed_properties.empty()) {
    static const std::string kRemove =
        "DELETE FROM item_properties WHERE item_id = ?1 AND name_id = ?2";
    for (const std::string& name : write.removed_properties) {
      int64_t name_id = NameId(impl, name, false);
      if (name_id == 0) continue;
      SqliteQuery(impl, kRemove).Bind(1, saved.id).Bind(2, name_id).Run();
    }
  }
  if (!write.set_properties.empty()) {
    // One statement run once per property: the row's insert or update and the
    // indexes of searched properties, nothing more.
    static const std::string kUpsert =
        "INSERT INTO item_properties(item_id, name_id, type, text_value, num_value) "
        "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(item_id, name_id) DO UPDATE SET "
        "type = excluded.type, text_value = excluded.text_value, "
        "num_value = excluded.num_value";
    SqliteQuery q(impl, kUpsert);
    for (const PropertyRow& p : write.set_properties) {
      EncodedValue v = EncodeUserProperty(p.type, p.value);
      q.Bind(1, saved.id)
          .Bind(2, NameId(impl, p.name, true))
          .Bind(3, int64_t{static_cast<int32_t>(p.type)})
          .Bind(4, v.text)
          .Bind(5, v.number)
          .Run();
      q.Reset();
    }
  }
  StoreStep("save:properties");
  if (write.recipients) {
    SqliteQuery(impl, "DELETE FROM recipients WHERE item_id = ?1")
        .Bind(1, saved.id)
        .Run();
    int64_t position = 0;
    for (const RecipientRow& r : *write.recipients) {
      SqliteQuery(
          impl,
          "INSERT INTO recipients(item_id, position, type, name, address, resolved) "
          "VALUES(?1, ?2, ?3, ?4, ?5, ?6)")
          .Bind(1, saved.id)
          .Bind(2, ++position)
          .Bind(3, int64_t{static_cast<int32_t>(r.type)})
          .Bind(4, std::string_view(r.name))
          .Bind(5, std::string_view(r.address))
          .Bind(6, int64_t{r.resolved ? 1 : 0})
          .Run();
    }
  }
  if (write.attachments) {
    SqliteQuery(impl, "DELETE FROM attachments WHERE item_id = ?1")
        .Bind(1, saved.id)
        .Run();
    int64_t position = 0;
    for (const AttachmentRow& a : *write.attachments) {
      SqliteQuery(impl,
                  "INSERT INTO attachments(item_id, position, file_name, display_name, "
                  "content_id, "
                  "mime_type, data) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)")
          .Bind(1, saved.id)
          .Bind(2, ++position)
          .Bind(3, std::string_view(a.file_name))
          .Bind(4, std::string_view(a.display_name))
          .Bind(5, std::string_view(a.content_id))
          .Bind(6, std::string_view(a.mime_type))
          .BindBlob(7, a.data)
          .Run();
    }
  }
  for (const PropertyRow& f : write.folder_fields) {
    SqliteQuery(impl,
                "INSERT INTO folder_fields(folder_id, name_id, type) VALUES(?1, ?2, ?3) "
                "ON CONFLICT(folder_id, name_id) DO UPDATE SET type = excluded.type")
        .Bind(1, saved.folder_id)
        .Bind(2, NameId(impl, f.name, true))
        .Bind(3, int64_t{static_cast<int32_t>(f.type)})
        .Run();
  }
  LogChange(impl, saved.folder_id, saved.entry_id,
            added ? ChangeKind::Added : ChangeKind::Changed);
  tx.Commit();
  row = std::move(saved);
}

bool SqliteBackend::WasDelivered(std::string_view key) {
  SqliteQuery q(*impl_, "SELECT 1 FROM delivered_messages WHERE key = ?1");
  q.Bind(1, key);
  return q.Step();
}

std::string SqliteBackend::DeliveredEntryID(std::string_view key) {
  SqliteQuery q(*impl_, "SELECT entry_id FROM delivered_messages WHERE key = ?1");
  q.Bind(1, key);
  return q.Step() ? q.Text(0) : std::string{};
}

void SqliteBackend::ForgetDelivered(std::string_view key) {
  SqliteQuery(*impl_, "DELETE FROM delivered_messages WHERE key = ?1").Bind(1, key).Run();
}

void SqliteBackend::MoveItem(ItemRow& row, int64_t target_folder_id) {
  Impl& impl = *impl_;
  SqliteTransaction tx(impl);
  SqliteQuery(impl,
              "UPDATE items SET folder_id = ?1, change_counter = change_counter + 1 "
              "WHERE id = ?2 AND change_counter = ?3")
      .Bind(1, target_folder_id)
      .Bind(2, row.id)
      .Bind(3, row.change_counter)
      .Run();
  if (sqlite3_changes(impl.db) == 0) RaiseConflict(impl, row.id);
  StoreStep("move:updated");
  LogChange(impl, row.folder_id, row.entry_id, ChangeKind::Removed);
  LogChange(impl, target_folder_id, row.entry_id, ChangeKind::Added);
  StoreStep("move:logged");
  tx.Commit();
  row.folder_id = target_folder_id;
  ++row.change_counter;
}

ItemRow SqliteBackend::CopyItem(int64_t item_id, int64_t target_folder_id) {
  Impl& impl = *impl_;
  SqliteTransaction tx(impl);
  std::string entry_id = NewStoreIdentifier();
  SqliteQuery(impl, "INSERT INTO items(entry_id, folder_id, change_counter, creator, " +
                        impl.item_columns + ") SELECT ?1, ?2, 1, creator, " +
                        impl.item_columns + " FROM items WHERE id = ?3")
      .Bind(1, std::string_view(entry_id))
      .Bind(2, target_folder_id)
      .Bind(3, item_id)
      .Run();
  if (sqlite3_changes(impl.db) == 0) throw ObjectDeletedError(kStoreSource);
  int64_t copy = sqlite3_last_insert_rowid(impl.db);
  SqliteQuery(
      impl,
      "INSERT INTO item_properties(item_id, name_id, type, text_value, num_value) "
      "SELECT ?1, name_id, type, text_value, num_value FROM item_properties "
      "WHERE item_id = ?2")
      .Bind(1, copy)
      .Bind(2, item_id)
      .Run();
  SqliteQuery(impl,
              "INSERT INTO recipients(item_id, position, type, name, address, resolved) "
              "SELECT ?1, position, type, name, address, resolved FROM recipients WHERE "
              "item_id = ?2")
      .Bind(1, copy)
      .Bind(2, item_id)
      .Run();
  SqliteQuery(
      impl,
      "INSERT INTO attachments(item_id, position, file_name, display_name, content_id, "
      "mime_type, data) SELECT ?1, position, file_name, display_name, content_id, "
      "mime_type, data FROM attachments WHERE item_id = ?2")
      .Bind(1, copy)
      .Bind(2, item_id)
      .Run();
  LogChange(impl, target_folder_id, entry_id, ChangeKind::Added);
  tx.Commit();
  return *LoadItemById(copy);
}

void SqliteBackend::DeleteItem(const ItemRow& row) {
  Impl& impl = *impl_;
  SqliteTransaction tx(impl);
  SqliteQuery(impl, "DELETE FROM items WHERE id = ?1").Bind(1, row.id).Run();
  if (sqlite3_changes(impl.db) == 0) throw ObjectDeletedError(kStoreSource);
  LogChange(impl, row.folder_id, row.entry_id, ChangeKind::Removed);
  StoreStep("delete:item");
  tx.Commit();
}

namespace {

std::string SelectionWhere(SqliteBackend::Impl& impl, const ItemSelection& s) {
  std::string where = " WHERE i.folder_id = ?1";
  if (!s.where_sql.empty())
    where += " AND (" + ChooseSearchPaths(impl, s.folder_id, s.where_sql, s.params) + ")";
  return where;
}

void BindSelection(SqliteQuery& q, const ItemSelection& s) {
  q.Bind(1, s.folder_id);
  for (size_t i = 0; i < s.params.size(); ++i)
    q.Bind(static_cast<int>(i + 2), s.params[i]);
}

}  // namespace

int64_t SqliteBackend::CountItems(const ItemSelection& selection) {
  EnsureSearchIndexes(*impl_);
  SqliteQuery q(*impl_, "SELECT count(*) FROM items i" + SelectionWhere(*impl_, selection));
  BindSelection(q, selection);
  return q.Step() ? q.Int(0) : 0;
}

namespace {

std::string ItemIdsSql(SqliteBackend::Impl& impl, const ItemSelection& selection,
                       int64_t after_id, size_t limit) {
  std::string sql = "SELECT i.id FROM items i" + SelectionWhere(impl, selection);
  int after_index = static_cast<int>(selection.params.size()) + 2;
  if (after_id != 0) sql += " AND i.id > ?" + std::to_string(after_index);
  sql += " ORDER BY " + (selection.order_sql.empty() ? std::string("i.id")
                                                     : selection.order_sql + ", i.id");
  if (limit != 0) sql += " LIMIT " + std::to_string(limit);
  return sql;
}

}  // namespace

std::vector<std::string> SqliteBackend::FindPlanForTesting(
    const ItemSelection& selection) {
  EnsureSearchIndexes(*impl_);
  SqliteQuery q(*impl_, "EXPLAIN QUERY PLAN " + ItemIdsSql(*impl_, selection, 0, 1));
  BindSelection(q, selection);
  return q.Rows([](const SqliteQuery& r) { return r.Text(3); });
}

std::vector<int64_t> SqliteBackend::SelectItemIds(const ItemSelection& selection,
                                                  int64_t after_id, size_t limit) {
  EnsureSearchIndexes(*impl_);
  int after_index = static_cast<int>(selection.params.size()) + 2;
  SqliteQuery q(*impl_, ItemIdsSql(*impl_, selection, after_id, limit));
  BindSelection(q, selection);
  if (after_id != 0) q.Bind(after_index, after_id);
  return q.Rows([](const SqliteQuery& r) { return r.Int(0); });
}

namespace {

// A value of a table query's column as the recordset holds it: NULL is
// empty (a date column's is the empty date), integers fit the narrowest
// type, booleans and dates are given their kind.
Variant TableValue(SqliteQuery& q, int c, ValueKind kind) {
  switch (q.Type(c)) {
    case SQLITE_NULL:
      return kind == ValueKind::Date ? Variant(Date::NoDate()) : Variant();
    case SQLITE_INTEGER:
      if (kind == ValueKind::Boolean) return Variant(q.Int(c) != 0);
      if (q.Int(c) >= INT32_MIN && q.Int(c) <= INT32_MAX)
        return Variant(static_cast<int32_t>(q.Int(c)));
      return Variant(q.Int(c));
    case SQLITE_FLOAT:
      return kind == ValueKind::Date ? Variant(Date(q.Real(c))) : Variant(q.Real(c));
    default:
      return Variant(q.Text(c));
  }
}

}  // namespace

Recordset SqliteBackend::SelectTable(int64_t folder_id, const SqlSelect& select) {
  EnsureSearchIndexes(*impl_);
  const size_t columns = select.column_sql.size();
  std::vector<ValueKind> kinds;
  for (size_t c = 0; c < columns; ++c)
    kinds.push_back(c < select.field_names.size()
                        ? Resolve(select.field_names[c], ValueKind::Text).kind
                        : ValueKind::Text);
  // User property columns are read from each item's run of properties in
  // one pass instead of one look-up per column: by name id, the columns
  // that show it and which value they show (text or number).
  struct PropertyColumn {
    size_t column;
    bool number;
  };
  std::unordered_map<int64_t, std::vector<PropertyColumn>> by_name;
  std::vector<int> main_column(columns, -1);  // the main query's column, or -1
  std::string sql = "SELECT i.id";
  int next = 1;
  for (size_t c = 0; c < columns; ++c) {
    int64_t name_id = 0;
    std::string value_column;
    if (ParseUserPropertySql(select.column_sql[c], name_id, value_column)) {
      by_name[name_id].push_back({c, value_column == kUserNumValue});
    } else {
      sql += ", " + select.column_sql[c];
      main_column[c] = next++;
    }
  }
  sql += " FROM items i WHERE i.folder_id = ?1";
  if (!select.where.sql.empty())
    sql += " AND (" +
           ChooseSearchPaths(*impl_, folder_id, select.where.sql, select.where.params) + ")";
  if (!select.order_by_sql.empty()) sql += " ORDER BY " + select.order_by_sql;
  SqliteQuery q(*impl_, sql);
  q.Bind(1, folder_id);
  for (size_t i = 0; i < select.where.params.size(); ++i)
    q.Bind(static_cast<int>(i + 2), select.where.params[i]);
  std::optional<SqliteQuery> properties;
  if (!by_name.empty())
    properties.emplace(*impl_,
                       "SELECT name_id, text_value, num_value FROM item_properties "
                       "WHERE item_id = ?1");
  // The columns by name id, looked up by index for each property row read:
  // name ids are small, counting the store's property names.
  int64_t last_name_id = 0;
  for (const auto& [name_id, shown] : by_name)
    last_name_id = std::max(last_name_id, name_id);
  std::vector<const std::vector<PropertyColumn>*> shown_by_id(
      by_name.empty() ? 0 : static_cast<size_t>(last_name_id) + 1, nullptr);
  for (const auto& [name_id, shown] : by_name)
    if (name_id >= 0) shown_by_id[static_cast<size_t>(name_id)] = &shown;
  // What a column shows for an item without the property.
  std::vector<Variant> blank;
  for (ValueKind kind : kinds)
    blank.push_back(kind == ValueKind::Date ? Variant(Date::NoDate()) : Variant());
  Recordset out(select.field_names);
  while (q.Step()) {
    std::vector<Variant> values = blank;
    for (size_t c = 0; c < columns; ++c)
      if (main_column[c] >= 0) values[c] = TableValue(q, main_column[c], kinds[c]);
    if (properties) {
      properties->Reset();
      properties->Bind(1, q.Int(0));
      while (properties->Step()) {
        const int64_t name_id = properties->Int(0);
        if (name_id < 0 || name_id > last_name_id) continue;
        const std::vector<PropertyColumn>* shown =
            shown_by_id[static_cast<size_t>(name_id)];
        if (!shown) continue;
        for (const PropertyColumn& p : *shown)
          values[p.column] = TableValue(*properties, p.number ? 2 : 1, kinds[p.column]);
      }
    }
    out.AddRow(std::move(values));
  }
  return out;
}

}  // namespace zanvoro::host
