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

std::string ServerKeywords(std::string_view location) {
  std::string rest(location.substr(location.find("://") + 3));
  std::string keywords;
  auto add = [&](const char* key, const std::string& value) {
    if (value.empty()) return;
    keywords += (keywords.empty() ? "" : " ") + std::string(key) + "='" +
                Replace(Replace(value, "\\", "\\\\"), "'", "\\'") + "'";
  };
  std::string query;
  if (size_t q = rest.find('?'); q != std::string::npos) {
    query = rest.substr(q + 1);
    rest.resize(q);
  }
  std::string database;
  if (size_t slash = rest.find('/'); slash != std::string::npos) {
    database = rest.substr(slash + 1);
    rest.resize(slash);
  }
  if (size_t at = rest.rfind('@'); at != std::string::npos) {
    std::string credentials = rest.substr(0, at);
    rest = rest.substr(at + 1);
    size_t colon = credentials.find(':');
    add("user", credentials.substr(0, colon));
    if (colon != std::string::npos) add("password", credentials.substr(colon + 1));
  }
  size_t colon = rest.rfind(':');
  if (colon != std::string::npos && rest.find(']') == std::string::npos) {
    add("host", rest.substr(0, colon));
    add("port", rest.substr(colon + 1));
  } else {
    add("host", rest);
  }
  add("dbname", database);
  for (const std::string& pair : Split(query, "&")) {
    size_t equals = pair.find('=');
    if (equals != std::string::npos && equals > 0)
      keywords += " " + pair.substr(0, equals) + "='" + pair.substr(equals + 1) + "'";
  }
  return keywords;
}

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
      return std::make_unique<soci::session>(*soci::factory_postgresql(),
                                             ServerKeywords(location));
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
    if (!IsBlank(piece)) {
      const char* blanks = " \t\r\n\f";
      size_t first = piece.find_first_not_of(blanks);
      statements.push_back(
          piece.substr(first, piece.find_last_not_of(blanks) + 1 - first));
    }
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
