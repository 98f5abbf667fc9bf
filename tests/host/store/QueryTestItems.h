// A small item table in a temporary SQLite file that answers as a query
// target, for tests of the query languages: standard columns on the item row
// and user properties in a side table, the way the store keeps them. Every
// literal reaches SQLite only as a bound value.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/store/Filter.h"
#include "host/store/QueryTarget.h"
#include "host/store/Recordset.h"
#include "host/store/TableQuery.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace zanvoro::host::testing {

inline constexpr const char* kPublicStrings =
    "http://schemas.microsoft.com/mapi/string/{00020329-0000-0000-C000-000000000046}/";

inline std::string Dasl(const std::string& name) { return kPublicStrings + name; }

struct TestItem {
  std::string entry_id;
  std::string subject;
  std::string message_class = "IPM.Note";
  double last_modification_time = 0;  // day count
  std::string conversation_index;
  bool unread = false;
  int64_t size = 0;
  std::map<std::string, Variant> user_properties;
};

class QueryTestItems : public QueryTarget {
 public:
  QueryTestItems() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zanvoro-query-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    if (sqlite3_open((dir_ / "items.db").c_str(), &db_) != SQLITE_OK) {
      throw std::runtime_error("cannot open the test database");
    }
    Exec(
        "CREATE TABLE items (id INTEGER PRIMARY KEY, entry_id TEXT, subject TEXT, "
        "message_class TEXT, last_modification_time REAL, conversation_index TEXT, "
        "unread INTEGER, size INTEGER);"
        "CREATE TABLE property_names (id INTEGER PRIMARY KEY, name TEXT UNIQUE COLLATE "
        "NOCASE);"
        "CREATE TABLE user_properties (item_id INTEGER, name_id INTEGER, value, "
        "PRIMARY KEY (item_id, name_id));");
  }
  ~QueryTestItems() override {
    sqlite3_close(db_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  QueryTestItems(const QueryTestItems&) = delete;
  QueryTestItems& operator=(const QueryTestItems&) = delete;

  void Add(const TestItem& item) {
    Run("INSERT INTO items (entry_id, subject, message_class, last_modification_time, "
        "conversation_index, unread, size) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
        {item.entry_id, item.subject, item.message_class, item.last_modification_time,
         item.conversation_index, int32_t{item.unread ? 1 : 0}, item.size});
    int64_t id = sqlite3_last_insert_rowid(db_);
    for (const auto& [name, value] : item.user_properties) {
      Run("INSERT OR IGNORE INTO property_names (name) VALUES (?1)", {name});
      Run("INSERT INTO user_properties (item_id, name_id, value) SELECT ?1, id, ?2 FROM "
          "property_names WHERE name = ?3",
          {id, value, name});
    }
  }

  // Entry IDs of the items a filter selects, in the order they were added.
  std::vector<std::string> Find(std::string_view filter) {
    SqlCondition where = CompileFilter(filter, *this);
    Recordset rs =
        Select("SELECT i.entry_id FROM items i WHERE " + where.sql + " ORDER BY i.id",
               {"EntryID"}, where.params);
    std::vector<std::string> ids;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
      ids.push_back(rs.Fields(0).Value.Text());
    return ids;
  }

  // Runs a table query the way the store does: its parts inside one SELECT.
  Recordset Query(std::string_view text) {
    SqlSelect s = CompileTableQuery(ParseTableQuery(text), *this);
    std::string sql = "SELECT " + Join(s.column_sql, ", ") + " FROM items i";
    if (!s.where.sql.empty()) sql += " WHERE " + s.where.sql;
    sql += " ORDER BY " + (s.order_by_sql.empty() ? "i.id" : s.order_by_sql + ", i.id");
    return Select(sql, s.field_names, s.where.params);
  }

  int64_t Count() {
    return *Select("SELECT COUNT(*) FROM items", {"n"}, {}).Fields(0).Value.As<int64_t>();
  }

  ResolvedColumn Resolve(std::string_view name, ValueKind literal) const override {
    static const std::map<std::string, ResolvedColumn> kStandard = {
        {"entryid", {"i.entry_id", ValueKind::Text}},
        {"subject", {"i.subject", ValueKind::Text}},
        {"messageclass", {"i.message_class", ValueKind::Text}},
        {"lastmodificationtime", {"i.last_modification_time", ValueKind::Date}},
        {"conversationindex", {"i.conversation_index", ValueKind::Text}},
        {"unread", {"i.unread", ValueKind::Boolean}},
        {"size", {"i.size", ValueKind::Number}},
    };
    std::string property(name);
    bool named = StartsWithText(property, kPublicStrings);
    if (named) property = property.substr(std::string_view(kPublicStrings).size());
    if (!named) {
      auto standard = kStandard.find(LCase(property));
      if (standard != kStandard.end()) return standard->second;
    }
    // The property's number goes into the SQL, never its name.
    Recordset id =
        Select("SELECT id FROM property_names WHERE name = ?1", {"id"}, {property});
    int64_t name_id = id.RecordCount() ? *id.Fields(0).Value.As<int64_t>() : 0;
    // Unknown names with a dot are user properties no item has yet.
    if (!named && name_id == 0 && property.find('.') == std::string::npos) {
      throw Error(err::kInvalidProcedureCall,
                  "The property \"" + property + "\" is unknown.");
    }
    return {
        "(SELECT p.value FROM user_properties p WHERE p.item_id = i.id AND "
        "p.name_id = " +
            std::to_string(name_id) + ")",
        literal, true};
  }

  std::string Comparison(const ResolvedColumn& column, CompareOp op,
                         std::string_view placeholder) const override {
    static const char* const kOps[] = {"=", "<>", "<", "<=", ">", ">="};
    std::string sql =
        column.sql + " " + kOps[static_cast<int>(op)] + " " + std::string(placeholder);
    if (column.kind == ValueKind::Text) sql += " COLLATE NOCASE";
    return sql;
  }

  std::string Placeholder(size_t n) const override { return "?" + std::to_string(n); }

 private:
  void Exec(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
      std::string text = message ? message : "";
      sqlite3_free(message);
      throw std::runtime_error(text);
    }
  }

  void Run(const std::string& sql, const std::vector<Variant>& params) {
    Select(sql, {}, params);
  }

  // Prepares `sql`, binds `params` to ?1, ?2... and reads every row.
  Recordset Select(const std::string& sql, std::vector<std::string> fields,
                   const std::vector<Variant>& params) const {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
    }
    EXPECT_EQ(sqlite3_bind_parameter_count(stmt), static_cast<int>(params.size())) << sql;
    for (size_t i = 0; i < params.size(); ++i) {
      int n = static_cast<int>(i + 1);
      const Variant& v = params[i];
      if (v.IsText()) {
        sqlite3_bind_text(stmt, n, v.Text().c_str(), -1, SQLITE_TRANSIENT);
      } else if (const double* d = v.As<double>()) {
        sqlite3_bind_double(stmt, n, *d);
      } else if (const int32_t* i32 = v.As<int32_t>()) {
        sqlite3_bind_int(stmt, n, *i32);
      } else if (const int64_t* i64 = v.As<int64_t>()) {
        sqlite3_bind_int64(stmt, n, *i64);
      } else {
        ADD_FAILURE() << "unexpected bound type " << v.TypeName();
      }
    }
    Recordset rs(std::move(fields));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      std::vector<Variant> row;
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        switch (sqlite3_column_type(stmt, c)) {
          case SQLITE_INTEGER:
            row.emplace_back(static_cast<int64_t>(sqlite3_column_int64(stmt, c)));
            break;
          case SQLITE_FLOAT:
            row.emplace_back(sqlite3_column_double(stmt, c));
            break;
          case SQLITE_NULL:
            row.emplace_back(Null{});
            break;
          default:
            row.emplace_back(
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c))));
        }
      }
      rs.AddRow(std::move(row));
    }
    std::string error = rc == SQLITE_DONE ? "" : sqlite3_errmsg(db_);
    sqlite3_finalize(stmt);
    if (!error.empty()) throw std::runtime_error(error + " in: " + sql);
    return rs;
  }

  std::filesystem::path dir_;
  sqlite3* db_ = nullptr;
};

}  // namespace zanvoro::host::testing
