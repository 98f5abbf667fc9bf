// SQL databases by location: a file path is an SQLite database file (made
// when missing), a "postgresql://..." address a database server. The
// settings and reporting databases open their sessions here. Library
// failures become Error(err::kCallFailed) naming the location and the cause.
// A session is used by one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace soci {
class session;
}  // namespace soci

namespace zanvoro::host::db {

enum class SqlBackend { Sqlite, Postgresql };

// PostgreSQL for "postgresql://" and "postgres://" addresses, else SQLite.
SqlBackend BackendOf(std::string_view location);

// The keyword form the server's client takes for a "postgresql://" address
// ([user[:password]@][host][:port][/dbname][?key=value&...]), e.g.
// "user='ann' host='db' port='5433' dbname='help'". Percent escapes are not
// decoded.
std::string ServerKeywords(std::string_view location);

// Opens the database at `location`. SQLite files get their folder made
// first and are written without waiting for each write to reach the disk
// (a working copy that can be rebuilt).
std::unique_ptr<soci::session> OpenSession(std::string_view location);

// The statements of `script`: the pieces between lines that read "SPLIT"
// (blanks around the word allowed), trimmed; pieces of blank lines only are
// left out.
std::vector<std::string> SplitScript(std::string_view script);

// Runs each statement of SplitScript(script) in order; stops at the first
// that fails with its Error.
void RunScript(soci::session& session, std::string_view script);

// Runs `statement` once, converting a failure to Error.
void Execute(soci::session& session, const std::string& statement);

// A transaction that is rolled back unless Commit is called before it goes.
class Transaction {
 public:
  explicit Transaction(soci::session& session);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit();

 private:
  soci::session& session_;
  bool open_ = false;
};

}  // namespace zanvoro::host::db
