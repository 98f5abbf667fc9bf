#include "host/store/SqliteConnection.h"

namespace zanvoro::host {

namespace {
constexpr size_t kMaxCachedStatements = 256;
}  // namespace

SqliteConnection::~SqliteConnection() {
  for (auto& [sql, stmt] : statements) sqlite3_finalize(stmt);
  if (db) sqlite3_close_v2(db);
}

void SqliteConnection::Open(const std::string& file) {
  path = file;
  int rc = sqlite3_open_v2(
      path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
      nullptr);
  if (rc != SQLITE_OK) Fail(rc, "Opening");
  sqlite3_extended_result_codes(db, 1);
  // Several sessions share a helpdesk store and take turns writing; on a
  // loaded machine one writer's turn can last seconds. Waiting is better
  // than failing the save.
  sqlite3_busy_timeout(db, 15000);
}

void SqliteConnection::Configure() {
  Exec("PRAGMA journal_mode=WAL");
  Exec("PRAGMA synchronous=NORMAL");
  Exec("PRAGMA foreign_keys=ON");
  // A save touches one index page per user property; keeping the indexes in
  // memory and checkpointing less often spares most of the reads and syncs.
  // 16 MB of cache holds the indexes of tens of thousands of cases; the file
  // is not mapped, which would count every page read into the session's
  // resident memory (a 10,000-case helpdesk passed 300 MB that way).
  Exec("PRAGMA cache_size=-16384");
  Exec("PRAGMA wal_autocheckpoint=16000");
  // A statement inside a batch keeps the pages it changes in a statement
  // journal; past 64 KB (a mail with an attachment) that went to a temporary
  // file, written page by page. In memory it costs no system call.
  Exec("PRAGMA temp_store=MEMORY");
}

void SqliteConnection::Fail(int rc, std::string_view what) const {
  std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  std::string description =
      std::string(what) + " failed on the store file '" + path + "': " + message;
  int primary = rc & 0xff;
  int32_t number = err::kCallFailed;
  if (rc == SQLITE_CONSTRAINT_FOREIGNKEY) {
    // The folder an item was saved, moved or copied to is gone.
    number = err::kObjectDeleted;
    description = "The folder has been deleted: " + description;
  } else if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
    number = err::kCorruptData;
    description =
        "The store file '" + path + "' is damaged or is not a store: " + message;
  } else if (primary == SQLITE_FULL) {
    number = err::kDiskFull;
  } else if (primary == SQLITE_READONLY || primary == SQLITE_PERM ||
             primary == SQLITE_AUTH) {
    number = err::kPermissionDenied;
  } else if (primary == SQLITE_CANTOPEN) {
    number = err::kPathNotFound;
  } else if (primary == SQLITE_NOMEM) {
    number = err::kNotEnoughMemory;
  }
  throw Error(number, description, kStoreSource);
}

void SqliteConnection::Check(int rc, std::string_view what) const {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) Fail(rc, what);
}

void SqliteConnection::Exec(const std::string& sql) {
  char* message = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  if (message) sqlite3_free(message);
  Check(rc, "A store update");
}

bool SqliteConnection::BeginBatch() {
  if (in_batch || in_transaction) return false;
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
    return false;
  in_batch = true;
  return true;
}

void SqliteConnection::CommitBatch() {
  if (!in_batch) return;
  in_batch = false;
  // A full disk or a failed write makes SQLite roll the whole transaction
  // back itself; what ran after that was stored statement by statement.
  if (sqlite3_get_autocommit(db)) {
    RolledBack();
    return;
  }
  int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) return;
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  RolledBack();
  Fail(rc, "Storing a batch of changes");
}


sqlite3_stmt* SqliteConnection::Prepare(const std::string& sql) {
  auto it = statements.find(sql);
  if (it != statements.end()) return it->second;
  // Filters and table queries make new texts; keep the cache bounded, but
  // never finalize a statement some Query still runs.
  if (statements.size() >= kMaxCachedStatements && active_queries == 0) {
    for (auto& [text, stmt] : statements) sqlite3_finalize(stmt);
    statements.clear();
  }
  sqlite3_stmt* stmt = nullptr;
  Check(
      sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr),
      "Preparing a store query");
  statements.emplace(sql, stmt);
  return stmt;
}

}  // namespace zanvoro::host
