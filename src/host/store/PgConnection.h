// The SQL layer the server store is written on: one connection to a
// PostgreSQL database with its prepared statements, a statement's run with
// its values, and a write transaction. Values travel as text (bytes as
// binary); a failure becomes Error(err::kCallFailed) naming the location
// and carrying the server's message. One thread at a time per connection.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/Variant.h"

namespace zanvoro::host {

// One value for a placeholder: text, bytes, or NULL.
struct PgValue {
  std::optional<std::string> text;
  bool binary = false;

  PgValue() = default;
  PgValue(std::nullopt_t) {}
  PgValue(std::string_view v) : text(std::string(v)) {}
  PgValue(const std::string& v) : text(v) {}
  PgValue(const char* v) : text(std::string(v)) {}
  PgValue(int64_t v) : text(std::to_string(v)) {}
  PgValue(int32_t v) : text(std::to_string(v)) {}
  PgValue(double v);
  PgValue(const std::optional<std::string>& v) : text(v) {}
  PgValue(const std::optional<double>& v);
  static PgValue Bytes(std::string_view v) {
    PgValue out(v);
    out.binary = true;
    return out;
  }
  // A compiled condition's literal.
  static PgValue Of(const Variant& v);
};

// The rows of one run; text columns, NULL told apart.
class PgResult {
 public:
  explicit PgResult(PGresult* result) : result_(result) {}
  ~PgResult() { PQclear(result_); }
  PgResult(PgResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
  PgResult(const PgResult&) = delete;
  PgResult& operator=(const PgResult&) = delete;

  int Rows() const { return PQntuples(result_); }
  int Columns() const { return PQnfields(result_); }
  // Rows written by an INSERT, UPDATE or DELETE.
  int64_t Affected() const;
  bool IsNull(int row, int col) const { return PQgetisnull(result_, row, col) != 0; }
  std::string Text(int row, int col) const;
  int64_t Int(int row, int col) const;
  double Real(int row, int col) const;
  std::optional<double> OptReal(int row, int col) const;
  // A bytea column.
  std::string Bytes(int row, int col) const;
  Oid Type(int col) const { return PQftype(result_, col); }

 private:
  friend struct PgConnection;
  PGresult* result_;
};

struct PgConnection {
  PGconn* conn = nullptr;
  std::string location;  // as given, for messages
  struct Prepared {
    std::string name;
    int params = 0;  // the highest $n of the statement
  };
  std::unordered_map<std::string, Prepared> statements;  // by SQL text
  bool in_transaction = false;
  bool in_batch = false;

  PgConnection() = default;
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;
  virtual ~PgConnection();

  // Connects to the server of the "postgresql://" `location`.
  void Open(const std::string& location);
  // Called when a transaction rolled back, for what was cached during it.
  virtual void RolledBack() {}

  // Runs `sql` (prepared on first use) with `values` for $1, $2, ...; values
  // past the statement's last placeholder are left out.
  PgResult Run(const std::string& sql, const std::vector<PgValue>& values = {});
  // Runs statements without values (no preparing; several allowed).
  void Exec(const std::string& sql);

  // A batch: one transaction (holding the store's write lock) around the
  // writes until CommitBatch; false when a transaction is open.
  bool BeginBatch();
  void CommitBatch();

  [[noreturn]] void Fail(std::string_view what, const PGresult* result = nullptr) const;
};

// BEGIN and the store's write lock ... COMMIT (a savepoint inside a batch);
// rolls back when left without Commit(). Writers take the lock one after
// the other, so the change log's numbers are in the order of the commits
// and two writers never wait on each other's rows.
class PgTransaction {
 public:
  explicit PgTransaction(PgConnection& conn);
  ~PgTransaction();
  PgTransaction(const PgTransaction&) = delete;
  PgTransaction& operator=(const PgTransaction&) = delete;
  void Commit();

 private:
  PgConnection& conn_;
  bool savepoint_;
  bool done_ = false;
};

}  // namespace zanvoro::host
