#include <map>

#include "host/store/PgBackend.h"
#include "host/store/PgBackendImpl.h"
#include "host/store/Recordset.h"
#include "host/store/SqliteConnection.h"
#include "host/store/StoreValues.h"
#include "host/store/TableQuery.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

// Type ids of the server's column types (pg_type.dat).
constexpr Oid kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700;

void AddStandard(std::vector<PgValue>& values, const ItemRow& row) {
  for (const StandardProperty& p : StandardProperties()) {
    const Variant& v = row.standard[static_cast<size_t>(p.prop)];
    switch (p.kind) {
      case PropKind::Text:
        values.emplace_back(v.IsText() ? v.Text() : CStr(v));
        break;
      case PropKind::Long:
        values.emplace_back(int64_t{CLng(v)});
        break;
      case PropKind::Date: {
        Date d = CDate(v);
        values.push_back(d.IsNoDate() ? PgValue() : PgValue(d.Serial()));
        break;
      }
      case PropKind::Boolean:
        values.emplace_back(int64_t{CBool(v) ? 1 : 0});
        break;
    }
  }
}

ItemRow ReadItem(const PgResult& r, int i) {
  ItemRow row;
  row.id = r.Int(i, 0);
  row.entry_id = r.Text(i, 1);
  row.folder_id = r.Int(i, 2);
  row.change_counter = r.Int(i, 3);
  row.creator = r.Text(i, 4);
  row.standard.resize(kPropCount);
  for (const StandardProperty& p : StandardProperties()) {
    int col = 5 + static_cast<int>(p.prop);
    Variant& v = row.standard[static_cast<size_t>(p.prop)];
    switch (p.kind) {
      case PropKind::Text:
        v = Variant(r.Text(i, col));
        break;
      case PropKind::Long:
        v = Variant(static_cast<int32_t>(r.Int(i, col)));
        break;
      case PropKind::Date:
        v = r.IsNull(i, col) ? Variant(Date::NoDate()) : Variant(Date(r.Real(i, col)));
        break;
      case PropKind::Boolean:
        v = Variant(r.Int(i, col) != 0);
        break;
    }
  }
  return row;
}

std::optional<ItemRow> FirstItem(const PgResult& r) {
  if (r.Rows() == 0) return std::nullopt;
  return ReadItem(r, 0);
}

// Raised when an update or delete found no row with the expected counter.
[[noreturn]] void RaiseConflict(PgBackend::Impl& impl, int64_t item_id) {
  if (impl.Run("SELECT 1 FROM items WHERE id = $1", {item_id}).Rows() != 0)
    throw ObjectChangedError(kStoreSource);
  throw ObjectDeletedError(kStoreSource);
}

// Nulls sort first going up and last going down, as in a store file.
std::string OrderSql(const std::string& order) {
  constexpr std::string_view kDescending = " DESC";
  bool descending = order.size() >= kDescending.size() &&
                    order.compare(order.size() - kDescending.size(), kDescending.size(),
                                  kDescending) == 0;
  return order + (descending ? " NULLS LAST" : " NULLS FIRST");
}

std::string SelectionWhere(const ItemSelection& s) {
  std::string where = " WHERE i.folder_id = $1";
  if (!s.where_sql.empty()) where += " AND (" + s.where_sql + ")";
  return where;
}

std::vector<PgValue> SelectionValues(const ItemSelection& s) {
  std::vector<PgValue> values{s.folder_id};
  for (const Variant& v : s.params) values.push_back(PgValue::Of(v));
  return values;
}

}  // namespace

int64_t NameId(PgBackend::Impl& impl, std::string_view name, bool create) {
  std::string key = LCase(name);
  auto it = impl.name_ids.find(key);
  if (it != impl.name_ids.end()) return it->second;
  PgResult found =
      impl.Run("SELECT id FROM property_names WHERE lower(name) = lower($1)", {name});
  int64_t id = 0;
  if (found.Rows() != 0) {
    id = found.Int(0, 0);
  } else if (create) {
    // Another session may add the same name meanwhile: its row is taken then.
    id = impl.Run(
                 "INSERT INTO property_names(name) VALUES($1) ON CONFLICT (lower(name)) "
                 "DO UPDATE SET name = property_names.name RETURNING id",
                 {name})
             .Int(0, 0);
  } else {
    return 0;
  }
  impl.name_ids.emplace(key, id);
  return id;
}

std::optional<ItemRow> PgBackend::LoadItem(std::string_view entry_id) {
  return FirstItem(
      impl_->Run("SELECT " + impl_->item_select + " FROM items i WHERE i.entry_id = $1",
                 {entry_id}));
}

std::optional<ItemRow> PgBackend::LoadItemById(int64_t id) {
  return FirstItem(
      impl_->Run("SELECT " + impl_->item_select + " FROM items i WHERE i.id = $1", {id}));
}

std::vector<PropertyRow> PgBackend::LoadProperties(int64_t item_id) {
  PgResult r = impl_->Run(
      "SELECT n.name, p.type, p.text_value, p.num_value FROM item_properties p "
      "JOIN property_names n ON n.id = p.name_id WHERE p.item_id = $1 ORDER BY p.name_id",
      {item_id});
  std::vector<PropertyRow> out;
  for (int i = 0; i < r.Rows(); ++i) {
    auto type = static_cast<UserPropertyType>(r.Int(i, 1));
    out.push_back(PropertyRow{r.Text(i, 0), type,
                              DecodeUserProperty(type, r.Text(i, 2), r.OptReal(i, 3))});
  }
  return out;
}

std::vector<RecipientRow> PgBackend::LoadRecipients(int64_t item_id) {
  PgResult r = impl_->Run(
      "SELECT type, name, address, resolved FROM recipients WHERE item_id = $1 "
      "ORDER BY position",
      {item_id});
  std::vector<RecipientRow> out;
  for (int i = 0; i < r.Rows(); ++i)
    out.push_back(RecipientRow{static_cast<RecipientType>(r.Int(i, 0)), r.Text(i, 1),
                               r.Text(i, 2), r.Int(i, 3) != 0});
  return out;
}

std::vector<AttachmentRow> PgBackend::LoadAttachments(int64_t item_id) {
  PgResult r = impl_->Run(
      "SELECT file_name, display_name, content_id, mime_type, data FROM attachments "
      "WHERE item_id = $1 ORDER BY position",
      {item_id});
  std::vector<AttachmentRow> out;
  for (int i = 0; i < r.Rows(); ++i)
    out.push_back(AttachmentRow{r.Text(i, 0), r.Text(i, 1), r.Text(i, 2), r.Text(i, 3),
                                r.Bytes(i, 4)});
  return out;
}

void PgBackend::SaveItem(ItemRow& row, const ItemWrite& write) {
  Impl& impl = *impl_;
  ItemRow saved = row;
  PgTransaction tx(impl);
  bool added = saved.id == 0;
  if (added) {
    saved.entry_id = NewStoreIdentifier();
    std::vector<PgValue> values{saved.entry_id, saved.folder_id, saved.creator};
    AddStandard(values, saved);
    saved.id = impl.Run(impl.insert_item, values).Int(0, 0);
    saved.change_counter = 1;
  } else {
    std::vector<PgValue> values{saved.id, saved.change_counter};
    AddStandard(values, saved);
    if (impl.Run(impl.update_item, values).Affected() == 0) RaiseConflict(impl, saved.id);
    ++saved.change_counter;
  }
  for (const std::string& key : write.delivered) {
    PgResult r = impl.Run(
        "INSERT INTO delivered_messages(key, entry_id, at) VALUES($1, $2, $3) "
        "ON CONFLICT(key) DO NOTHING",
        {key, saved.entry_id, Now().Serial()});
    if (r.Affected() == 0)
      throw Error(err::kKeyAlreadyAssociated,
                  "The message was already delivered (" + key + ").", kStoreSource);
  }
  StoreStep("save:item");
  for (const std::string& name : write.removed_properties) {
    int64_t name_id = NameId(impl, name, false);
    if (name_id == 0) continue;
    impl.Run("DELETE FROM item_properties WHERE item_id = $1 AND name_id = $2",
             {saved.id, name_id});
  }
  if (!write.set_properties.empty()) {
    // All in one statement; a name given twice (in any letter case) keeps
    // its last value.
    std::map<int64_t, const PropertyRow*> by_name;
    for (const PropertyRow& p : write.set_properties)
      by_name[NameId(impl, p.name, true)] = &p;
    std::string sql =
        "INSERT INTO item_properties(item_id, name_id, type, text_value, num_value) "
        "VALUES ";
    std::vector<PgValue> values{saved.id};
    for (const auto& [name_id, p] : by_name) {
      EncodedValue v = EncodeUserProperty(p->type, p->value);
      size_t n = values.size();
      sql += (n > 1 ? ", ($1, $" : "($1, $") + std::to_string(n + 1) + ", $" +
             std::to_string(n + 2) + ", $" + std::to_string(n + 3) + ", $" +
             std::to_string(n + 4) + ")";
      values.insert(values.end(),
                    {PgValue(name_id), PgValue(int64_t{static_cast<int32_t>(p->type)}),
                     PgValue(v.text), PgValue(v.number)});
    }
    sql +=
        " ON CONFLICT(item_id, name_id) DO UPDATE SET type = excluded.type, "
        "text_value = excluded.text_value, num_value = excluded.num_value";
    impl.Run(sql, values);
  }
  StoreStep("save:properties");
  if (write.recipients) {
    impl.Run("DELETE FROM recipients WHERE item_id = $1", {saved.id});
    int64_t position = 0;
    for (const RecipientRow& r : *write.recipients)
      impl.Run(
          "INSERT INTO recipients(item_id, position, type, name, address, resolved) "
          "VALUES($1, $2, $3, $4, $5, $6)",
          {saved.id, ++position, int64_t{static_cast<int32_t>(r.type)}, r.name, r.address,
           int64_t{r.resolved ? 1 : 0}});
  }
  if (write.attachments) {
    impl.Run("DELETE FROM attachments WHERE item_id = $1", {saved.id});
    int64_t position = 0;
    for (const AttachmentRow& a : *write.attachments)
      impl.Run(
          "INSERT INTO attachments(item_id, position, file_name, display_name, "
          "content_id, mime_type, data) VALUES($1, $2, $3, $4, $5, $6, $7)",
          {saved.id, ++position, a.file_name, a.display_name, a.content_id, a.mime_type,
           PgValue::Bytes(a.data)});
  }
  for (const PropertyRow& f : write.folder_fields)
    impl.Run(
        "INSERT INTO folder_fields(folder_id, name_id, type) VALUES($1, $2, $3) "
        "ON CONFLICT(folder_id, name_id) DO UPDATE SET type = excluded.type",
        {saved.folder_id, NameId(impl, f.name, true),
         int64_t{static_cast<int32_t>(f.type)}});
  LogChange(impl, saved.folder_id, saved.entry_id,
            added ? ChangeKind::Added : ChangeKind::Changed);
  tx.Commit();
  row = std::move(saved);
}

bool PgBackend::WasDelivered(std::string_view key) {
  return impl_->Run("SELECT 1 FROM delivered_messages WHERE key = $1", {key}).Rows() != 0;
}

std::string PgBackend::DeliveredEntryID(std::string_view key) {
  PgResult r =
      impl_->Run("SELECT entry_id FROM delivered_messages WHERE key = $1", {key});
  return r.Rows() ? r.Text(0, 0) : std::string();
}

void PgBackend::ForgetDelivered(std::string_view key) {
  PgTransaction tx(*impl_);
  impl_->Run("DELETE FROM delivered_messages WHERE key = $1", {key});
  tx.Commit();
}

void PgBackend::MoveItem(ItemRow& row, int64_t target_folder_id) {
  Impl& impl = *impl_;
  PgTransaction tx(impl);
  PgResult r = impl.Run(
      "UPDATE items SET folder_id = $1, change_counter = change_counter + 1 "
      "WHERE id = $2 AND change_counter = $3",
      {target_folder_id, row.id, row.change_counter});
  if (r.Affected() == 0) RaiseConflict(impl, row.id);
  StoreStep("move:updated");
  LogChange(impl, row.folder_id, row.entry_id, ChangeKind::Removed);
  LogChange(impl, target_folder_id, row.entry_id, ChangeKind::Added);
  StoreStep("move:logged");
  tx.Commit();
  row.folder_id = target_folder_id;
  ++row.change_counter;
}

ItemRow PgBackend::CopyItem(int64_t item_id, int64_t target_folder_id) {
  Impl& impl = *impl_;
  PgTransaction tx(impl);
  std::string entry_id = NewStoreIdentifier();
  PgResult made =
      impl.Run("INSERT INTO items(entry_id, folder_id, change_counter, creator, " +
                   impl.item_columns + ") SELECT $1, $2, 1, creator, " +
                   impl.item_columns + " FROM items WHERE id = $3 RETURNING id",
               {entry_id, target_folder_id, item_id});
  if (made.Rows() == 0) throw ObjectDeletedError(kStoreSource);
  int64_t copy = made.Int(0, 0);
  impl.Run(
      "INSERT INTO item_properties(item_id, name_id, type, text_value, num_value) "
      "SELECT $1, name_id, type, text_value, num_value FROM item_properties "
      "WHERE item_id = $2",
      {copy, item_id});
  impl.Run(
      "INSERT INTO recipients(item_id, position, type, name, address, resolved) "
      "SELECT $1, position, type, name, address, resolved FROM recipients WHERE "
      "item_id = $2",
      {copy, item_id});
  impl.Run(
      "INSERT INTO attachments(item_id, position, file_name, display_name, content_id, "
      "mime_type, data) SELECT $1, position, file_name, display_name, content_id, "
      "mime_type, data FROM attachments WHERE item_id = $2",
      {copy, item_id});
  LogChange(impl, target_folder_id, entry_id, ChangeKind::Added);
  tx.Commit();
  return *LoadItemById(copy);
}

void PgBackend::DeleteItem(const ItemRow& row) {
  Impl& impl = *impl_;
  PgTransaction tx(impl);
  if (impl.Run("DELETE FROM items WHERE id = $1", {row.id}).Affected() == 0)
    throw ObjectDeletedError(kStoreSource);
  LogChange(impl, row.folder_id, row.entry_id, ChangeKind::Removed);
  StoreStep("delete:item");
  tx.Commit();
}

int64_t PgBackend::CountItems(const ItemSelection& selection) {
  return impl_
      ->Run("SELECT count(*) FROM items i" + SelectionWhere(selection),
            SelectionValues(selection))
      .Int(0, 0);
}

std::vector<int64_t> PgBackend::SelectItemIds(const ItemSelection& selection,
                                              int64_t after_id, size_t limit) {
  std::string sql = "SELECT i.id FROM items i" + SelectionWhere(selection);
  std::vector<PgValue> values = SelectionValues(selection);
  if (after_id != 0) {
    values.emplace_back(after_id);
    sql += " AND i.id > $" + std::to_string(values.size());
  }
  sql += " ORDER BY " + (selection.order_sql.empty()
                             ? std::string("i.id")
                             : OrderSql(selection.order_sql) + ", i.id");
  if (limit != 0) sql += " LIMIT " + std::to_string(limit);
  PgResult r = impl_->Run(sql, values);
  std::vector<int64_t> ids;
  ids.reserve(static_cast<size_t>(r.Rows()));
  for (int i = 0; i < r.Rows(); ++i) ids.push_back(r.Int(i, 0));
  return ids;
}

Recordset PgBackend::SelectTable(int64_t folder_id, const SqlSelect& select) {
  std::string sql = "SELECT ";
  for (size_t i = 0; i < select.column_sql.size(); ++i) {
    if (i) sql += ", ";
    sql += select.column_sql[i];
  }
  sql += " FROM items i WHERE i.folder_id = $1";
  if (!select.where.sql.empty()) sql += " AND (" + select.where.sql + ")";
  if (!select.order_by_sql.empty()) sql += " ORDER BY " + OrderSql(select.order_by_sql);
  std::vector<ValueKind> kinds;
  for (const std::string& name : select.field_names)
    kinds.push_back(Resolve(name, ValueKind::Text).kind);
  std::vector<PgValue> values{folder_id};
  for (const Variant& v : select.where.params) values.push_back(PgValue::Of(v));
  PgResult r = impl_->Run(sql, values);
  Recordset out(select.field_names);
  int columns = r.Columns();
  for (int row = 0; row < r.Rows(); ++row) {
    std::vector<Variant> cells;
    cells.reserve(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
      ValueKind kind = c < static_cast<int>(kinds.size()) ? kinds[static_cast<size_t>(c)]
                                                          : ValueKind::Text;
      Oid type = r.Type(c);
      if (r.IsNull(row, c)) {
        cells.push_back(kind == ValueKind::Date ? Variant(Date::NoDate()) : Variant());
      } else if (type == kInt2 || type == kInt4 || type == kInt8) {
        int64_t n = r.Int(row, c);
        if (kind == ValueKind::Boolean) {
          cells.push_back(Variant(n != 0));
        } else if (n >= INT32_MIN && n <= INT32_MAX) {
          cells.push_back(Variant(static_cast<int32_t>(n)));
        } else {
          cells.push_back(Variant(n));
        }
      } else if (type == kFloat4 || type == kFloat8 || type == kNumeric) {
        double d = r.Real(row, c);
        cells.push_back(kind == ValueKind::Date ? Variant(Date(d)) : Variant(d));
      } else {
        cells.push_back(Variant(r.Text(row, c)));
      }
    }
    out.AddRow(std::move(cells));
  }
  return out;
}

}  // namespace zanvoro::host
