#include "host/store/PgConnection.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "host/db/SqlSession.h"
#include "host/store/SqliteConnection.h"
#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

// Lock key of the store's writers (an advisory lock of this database).
constexpr const char* kWriteLock = "SELECT pg_advisory_xact_lock(7120310)";

std::string DoubleText(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// The highest $n in `sql`.
int HighestPlaceholder(const std::string& sql) {
  int highest = 0;
  for (size_t i = 0; i < sql.size(); ++i) {
    if (sql[i] != '$' || i + 1 >= sql.size() ||
        !std::isdigit(static_cast<unsigned char>(sql[i + 1])))
      continue;
    int n = std::atoi(sql.c_str() + i + 1);
    if (n > highest) highest = n;
  }
  return highest;
}

}  // namespace

PgValue::PgValue(double v) : text(DoubleText(v)) {}

PgValue::PgValue(const std::optional<double>& v) {
  if (v) text = DoubleText(*v);
}

PgValue PgValue::Of(const Variant& v) {
  if (const double* d = v.As<double>()) return PgValue(*d);
  if (const bool* b = v.As<bool>()) return PgValue(int64_t{*b ? 1 : 0});
  if (const int32_t* n = v.As<int32_t>()) return PgValue(int64_t{*n});
  if (const int64_t* n = v.As<int64_t>()) return PgValue(*n);
  if (const int16_t* n = v.As<int16_t>()) return PgValue(int64_t{*n});
  if (const Date* d = v.As<Date>()) return PgValue(d->Serial());
  if (v.IsText()) return PgValue(v.Text());
  if (v.IsEmpty() || v.IsNull()) return PgValue();
  return PgValue(CStr(v));
}

int64_t PgResult::Affected() const {
  const char* n = PQcmdTuples(result_);
  return n && *n ? std::strtoll(n, nullptr, 10) : 0;
}

std::string PgResult::Text(int row, int col) const {
  if (IsNull(row, col)) return {};
  return std::string(PQgetvalue(result_, row, col),
                     static_cast<size_t>(PQgetlength(result_, row, col)));
}

int64_t PgResult::Int(int row, int col) const {
  if (IsNull(row, col)) return 0;
  const char* v = PQgetvalue(result_, row, col);
  // A boolean column reads as 1 or 0.
  if (*v == 't') return 1;
  if (*v == 'f') return 0;
  return std::strtoll(v, nullptr, 10);
}

double PgResult::Real(int row, int col) const {
  if (IsNull(row, col)) return 0;
  return std::strtod(PQgetvalue(result_, row, col), nullptr);
}

std::optional<double> PgResult::OptReal(int row, int col) const {
  if (IsNull(row, col)) return std::nullopt;
  return Real(row, col);
}

std::string PgResult::Bytes(int row, int col) const {
  if (IsNull(row, col)) return {};
  size_t length = 0;
  unsigned char* bytes = PQunescapeBytea(
      reinterpret_cast<const unsigned char*>(PQgetvalue(result_, row, col)), &length);
  if (!bytes) throw Error(err::kOutOfMemory, "Out of memory reading bytes.", kStoreSource);
  std::string out(reinterpret_cast<const char*>(bytes), length);
  PQfreemem(bytes);
  return out;
}

PgConnection::~PgConnection() {
  if (conn) PQfinish(conn);
}

void PgConnection::Open(const std::string& where) {
  location = where;
  std::string keywords = db::ServerKeywords(where);
  conn = PQconnectdb(keywords.c_str());
  if (!conn) throw Error(err::kOutOfMemory, "Out of memory connecting.", kStoreSource);
  if (PQstatus(conn) != CONNECTION_OK && PQdb(conn) &&
      std::string(PQerrorMessage(conn)).find("does not exist") != std::string::npos) {
    // A new store on a server that has no database of that name yet: made
    // through the server's own database (the last keyword given wins).
    std::string database = PQdb(conn);
    PGconn* admin = PQconnectdb((keywords + " dbname='postgres'").c_str());
    if (admin && PQstatus(admin) == CONNECTION_OK) {
      if (char* name = PQescapeIdentifier(admin, database.c_str(), database.size())) {
        // Two sessions making it at once: the second one's failure is harmless.
        PQclear(PQexec(admin, ("CREATE DATABASE " + std::string(name)).c_str()));
        PQfreemem(name);
      }
    }
    if (admin) PQfinish(admin);
    PQfinish(conn);
    conn = PQconnectdb(keywords.c_str());
    if (!conn) throw Error(err::kOutOfMemory, "Out of memory connecting.", kStoreSource);
  }
  if (PQstatus(conn) != CONNECTION_OK) Fail("Connecting");
  Exec("SET client_min_messages = warning; SET client_encoding = 'UTF8'");
}

void PgConnection::Fail(std::string_view what, const PGresult* result) const {
  std::string message =
      result ? PQresultErrorMessage(result) : (conn ? PQerrorMessage(conn) : "");
  while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
    message.pop_back();
  std::string description =
      std::string(what) + " failed on the store server '" + location + "': " + message;
  // The class of the server's error code (SQLSTATE).
  std::string state;
  if (result) {
    if (const char* code = PQresultErrorField(result, PG_DIAG_SQLSTATE)) state = code;
  }
  int32_t number = err::kCallFailed;
  if (state == "23503") {
    // The folder an item was saved, moved or copied to is gone.
    number = err::kObjectDeleted;
    description = "The folder has been deleted: " + description;
  } else if (state == "53100") {
    number = err::kDiskFull;
  } else if (state == "42501" || state == "25006") {
    number = err::kPermissionDenied;
  } else if (state == "53200") {
    number = err::kNotEnoughMemory;
  }
  throw Error(number, description, kStoreSource);
}

PgResult PgConnection::Run(const std::string& sql, const std::vector<PgValue>& values) {
  auto it = statements.find(sql);
  if (it == statements.end()) {
    Prepared prepared{"s" + std::to_string(statements.size() + 1),
                      HighestPlaceholder(sql)};
    PgResult made(PQprepare(conn, prepared.name.c_str(), sql.c_str(), 0, nullptr));
    if (PQresultStatus(made.result_) != PGRES_COMMAND_OK)
      Fail("Preparing a store query", made.result_);
    it = statements.emplace(sql, std::move(prepared)).first;
  }
  int count = it->second.params;
  std::vector<const char*> texts(static_cast<size_t>(count), nullptr);
  std::vector<int> lengths(static_cast<size_t>(count), 0);
  std::vector<int> formats(static_cast<size_t>(count), 0);
  for (int i = 0; i < count && i < static_cast<int>(values.size()); ++i) {
    const PgValue& v = values[static_cast<size_t>(i)];
    if (!v.text) continue;
    texts[static_cast<size_t>(i)] = v.text->c_str();
    lengths[static_cast<size_t>(i)] = static_cast<int>(v.text->size());
    formats[static_cast<size_t>(i)] = v.binary ? 1 : 0;
  }
  PgResult result(PQexecPrepared(conn, it->second.name.c_str(), count, texts.data(),
                                 lengths.data(), formats.data(), 0));
  ExecStatusType status = PQresultStatus(result.result_);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
    Fail("A store query", result.result_);
  return result;
}

void PgConnection::Exec(const std::string& sql) {
  PgResult result(PQexec(conn, sql.c_str()));
  ExecStatusType status = PQresultStatus(result.result_);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
    Fail("A store statement", result.result_);
}

bool PgConnection::BeginBatch() {
  if (in_transaction || in_batch) return false;
  Exec(std::string("BEGIN; ") + kWriteLock);
  in_batch = true;
  return true;
}

void PgConnection::CommitBatch() {
  if (!in_batch) return;
  in_batch = false;
  PgResult result(PQexec(conn, "COMMIT"));
  ExecStatusType status = PQresultStatus(result.result_);
  if (status == PGRES_COMMAND_OK && std::string_view(PQcmdStatus(result.result_)) == "COMMIT")
    return;
  // A statement of the batch failed: the server ends it with a rollback
  // (answering "ROLLBACK" to the COMMIT), and its writes are gone.
  PQclear(PQexec(conn, "ROLLBACK"));
  RolledBack();
  if (status != PGRES_COMMAND_OK) Fail("Committing a batch of store writes", result.result_);
  throw Error(err::kCallFailed,
              "Committing a batch of store writes failed on the store server '" +
                  location + "': a statement of it failed, and it was rolled back.",
              kStoreSource);
}

PgTransaction::PgTransaction(PgConnection& conn) : conn_(conn), savepoint_(conn.in_batch) {
  if (conn_.in_transaction)
    throw Error(err::kCallFailed, "A store transaction is already open.", kStoreSource);
  conn_.Exec(savepoint_ ? std::string("SAVEPOINT step")
                        : std::string("BEGIN; ") + kWriteLock);
  conn_.in_transaction = true;
}

PgTransaction::~PgTransaction() {
  if (done_) return;
  PQclear(PQexec(conn_.conn, savepoint_ ? "ROLLBACK TO step; RELEASE step" : "ROLLBACK"));
  conn_.RolledBack();
  conn_.in_transaction = false;
}

void PgTransaction::Commit() {
  conn_.Exec(savepoint_ ? "RELEASE step" : "COMMIT");
  done_ = true;
  conn_.in_transaction = false;
}

}  // namespace zanvoro::host
