#include "host/db/SqlSession.h"

#include <soci/postgresql/soci-postgresql.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include <filesystem>
#include <system_error>

#include "host/db/Soci.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host::db {
namespace {

constexpr const char* kSource = "Database";

Error Failure(std::string_view what, const std::exception& cause) {
  return Error(err::kCallFailed, std::string(what) + ": " + cause.what(), kSource);
}

}  // namespace

SqlBackend BackendOf(std::string_view location) {
  return StartsWithText(location, "postgresql://") ||
                 StartsWithText(location, "postgres://")
             ? SqlBackend::Postgresql
             : SqlBackend::Sqlite;
}

std::unique_ptr<soci::session> OpenSession(std::string_view location) {
  std::string where(location);
  try {
    if (BackendOf(location) == SqlBackend::Postgresql)
      return std::make_unique<soci::session>(*soci::factory_postgresql(), where);
    std::filesystem::path file(where);
    if (file.has_parent_path()) {
      std::error_code ec;
      std::filesystem::create_directories(file.parent_path(), ec);
    }
    auto session =
        std::make_unique<soci::session>(*soci::factory_sqlite3(), "db=\"" + where + "\"");
    Execute(*session, "PRAGMA synchronous = OFF");
    return session;
  } catch (const soci::soci_error& e) {
    throw Failure("The database " + where + " cannot be opened", e);
  }
}

std::vector<std::string> SplitScript(std::string_view script) {
  std::vector<std::string> statements;
  std::string piece;
  auto finish = [&] {
    if (!IsBlank(piece)) statements.push_back(Trim(RTrim(piece)));
    piece.clear();
  };
  for (const std::string& line : Split(Replace(script, "\r\n", "\n"), "\n")) {
    if (UCase(Trim(line)) == "SPLIT") {
      finish();
    } else {
      if (!piece.empty()) piece += '\n';
      piece += line;
    }
  }
  finish();
  return statements;
}

void Execute(soci::session& session, const std::string& statement) {
  try {
    // A statement object rather than the session's stream form, whose
    // temporary needs type information the library does not export.
    soci::statement run(session);
    run.alloc();
    run.prepare(statement);
    run.define_and_bind();
    run.execute(true);
  } catch (const soci::soci_error& e) {
    throw Failure("The statement failed", e);
  }
}

void RunScript(soci::session& session, std::string_view script) {
  for (const std::string& statement : SplitScript(script)) Execute(session, statement);
}

Transaction::Transaction(soci::session& session) : session_(session) {
  try {
    session_.begin();
    open_ = true;
  } catch (const soci::soci_error& e) {
    throw Failure("A transaction cannot begin", e);
  }
}

Transaction::~Transaction() {
  if (!open_) return;
  try {
    session_.rollback();
  } catch (const soci::soci_error&) {
    // The session is gone with its transaction.
  }
}

void Transaction::Commit() {
  try {
    session_.commit();
    open_ = false;
  } catch (const soci::soci_error& e) {
    throw Failure("The transaction cannot be committed", e);
  }
}

}  // namespace zanvoro::host::db
