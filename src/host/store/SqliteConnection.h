// The SQL layer the SQLite store is written on: a connection to one store
// file with its cache of prepared statements, one run of a statement, and a
// write transaction. A failure of SQLite becomes an Error with the mail
// client's number for its cause (the folder gone, a damaged file, a full
// disk, no permission, no file, no memory) and the file and SQLite's message
// in the description. One thread at a time per connection.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace zanvoro::host {

// The source of the errors the store raises.
inline constexpr const char* kStoreSource = "Store";

struct SqliteConnection {
  sqlite3* db = nullptr;
  std::string path;
  std::unordered_map<std::string, sqlite3_stmt*> statements;
  int active_queries = 0;  // SqliteQuery objects alive now
  bool in_transaction = false;
  // A batch is one write transaction around many: the transactions begun
  // inside it are savepoints, and nothing is stored before it commits.
  bool in_batch = false;

  SqliteConnection() = default;
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;
  virtual ~SqliteConnection();

  // Opens (or creates) the file at `path` with extended result codes and a
  // 5 s busy timeout.
  void Open(const std::string& path);
  // WAL journal, synchronous=NORMAL, foreign keys on, and the cache sizes
  // the store works best with.
  void Configure();

  // Called when a transaction rolled back, for what was cached during it.
  virtual void RolledBack() {}

  // Begins a batch (BEGIN IMMEDIATE); false, and no batch, when the store
  // is busy past the timeout or a transaction is open.
  bool BeginBatch();
  // Commits the batch; when that fails it is rolled back and the error
  // raised.
  void CommitBatch();

  [[noreturn]] void Fail(int rc, std::string_view what) const;
  void Check(int rc, std::string_view what) const;
  void Exec(const std::string& sql);
  // The cached statement of `sql`, prepared on first use.
  sqlite3_stmt* Prepare(const std::string& sql);
};

// One run of a cached statement; resets it when done.
class SqliteQuery {
 public:
  SqliteQuery(SqliteConnection& impl, const std::string& sql)
      : impl_(impl), stmt_(impl.Prepare(sql)) {
    count_ = sqlite3_bind_parameter_count(stmt_);
    ++impl_.active_queries;
  }
  ~SqliteQuery() {
    Reset();
    --impl_.active_queries;
  }
  SqliteQuery(const SqliteQuery&) = delete;
  SqliteQuery& operator=(const SqliteQuery&) = delete;

  // Binding past the statement's last placeholder is ignored: a compiled
  // condition may leave a literal unused.
  SqliteQuery& Bind(int i, int64_t v) {
    if (i <= count_) impl_.Check(sqlite3_bind_int64(stmt_, i, v), "Binding a value");
    return *this;
  }
  SqliteQuery& Bind(int i, double v) {
    if (i <= count_) impl_.Check(sqlite3_bind_double(stmt_, i, v), "Binding a value");
    return *this;
  }
  SqliteQuery& Bind(int i, std::string_view v) {
    if (i <= count_)
      impl_.Check(sqlite3_bind_text64(stmt_, i, v.data(), v.size(), SQLITE_TRANSIENT,
                                      SQLITE_UTF8),
                  "Binding a value");
    return *this;
  }
  SqliteQuery& BindBlob(int i, std::string_view v) {
    if (i <= count_)
      impl_.Check(sqlite3_bind_blob64(stmt_, i, v.data(), v.size(), SQLITE_TRANSIENT),
                  "Binding a value");
    return *this;
  }
  SqliteQuery& BindNull(int i) {
    if (i <= count_) impl_.Check(sqlite3_bind_null(stmt_, i), "Binding a value");
    return *this;
  }
  SqliteQuery& Bind(int i, const std::optional<std::string>& v) {
    return v ? Bind(i, std::string_view(*v)) : BindNull(i);
  }
  SqliteQuery& Bind(int i, const std::optional<double>& v) {
    return v ? Bind(i, *v) : BindNull(i);
  }
  // A compiled condition's literal.
  SqliteQuery& Bind(int i, const Variant& v) {
    if (const double* d = v.As<double>()) return Bind(i, *d);
    if (const bool* b = v.As<bool>()) return Bind(i, int64_t{*b ? 1 : 0});
    if (const int32_t* n = v.As<int32_t>()) return Bind(i, int64_t{*n});
    if (const int64_t* n = v.As<int64_t>()) return Bind(i, *n);
    if (const int16_t* n = v.As<int16_t>()) return Bind(i, int64_t{*n});
    if (const Date* d = v.As<Date>()) return Bind(i, d->Serial());
    if (v.IsText()) return Bind(i, std::string_view(v.Text()));
    if (v.IsEmpty() || v.IsNull()) return BindNull(i);
    return Bind(i, std::string_view(CStr(v)));
  }

  // Ready for another run with new values.
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

  bool Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    impl_.Fail(rc, "A store query");
  }
  void Run() {
    while (Step()) {
    }
  }
  // Every remaining row, each made by `read` from this query at that row.
  template <class Read>
  auto Rows(Read read) {
    std::vector<decltype(read(*this))> rows;
    while (Step()) rows.push_back(read(*this));
    return rows;
  }

  bool IsNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
  int Type(int col) const { return sqlite3_column_type(stmt_, col); }
  int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }
  double Real(int col) const { return sqlite3_column_double(stmt_, col); }
  std::string Text(int col) const {
    const unsigned char* p = sqlite3_column_text(stmt_, col);
    if (!p) return {};
    return std::string(reinterpret_cast<const char*>(p),
                       static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
  }
  std::string Blob(int col) const {
    const void* p = sqlite3_column_blob(stmt_, col);
    if (!p) return {};
    return std::string(static_cast<const char*>(p),
                       static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
  }

 private:
  SqliteConnection& impl_;
  sqlite3_stmt* stmt_;
  int count_ = 0;
};

// BEGIN IMMEDIATE ... COMMIT (a savepoint inside a batch); rolls back when
// left without Commit().
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteConnection& impl)
      : impl_(impl), savepoint_(impl.in_batch) {
    if (impl_.in_transaction)
      throw Error(err::kCallFailed, "A store transaction is already open.", kStoreSource);
    impl_.Exec(savepoint_ ? "SAVEPOINT step" : "BEGIN IMMEDIATE");
    impl_.in_transaction = true;
  }
  ~SqliteTransaction() {
    if (!done_) {
      sqlite3_exec(impl_.db, savepoint_ ? "ROLLBACK TO step; RELEASE step" : "ROLLBACK",
                   nullptr, nullptr, nullptr);
      impl_.RolledBack();
      impl_.in_transaction = false;
    }
  }
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;

  void Commit() {
    impl_.Exec(savepoint_ ? "RELEASE step" : "COMMIT");
    done_ = true;
    impl_.in_transaction = false;
  }

 private:
  SqliteConnection& impl_;
  bool savepoint_;
  bool done_ = false;
};

}  // namespace zanvoro::host
