#include "host/store/SqliteBackend.h"

#include <sys/random.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "host/store/SqliteBackendImpl.h"
#include "host/store/SqliteSchema.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

std::function<void(std::string_view)>& StepHook() {
  static std::function<void(std::string_view)> hook;
  return hook;
}

}  // namespace

void SetStoreStepHookForTesting(std::function<void(std::string_view)> hook) {
  StepHook() = std::move(hook);
}

void StoreStep(std::string_view step) {
  if (StepHook()) StepHook()(step);
}

std::string NewStoreIdentifier() {
  // 6 bytes of the time in microseconds, so new rows land at the end of the
  // indexes, then 18 random bytes.
  unsigned char bytes[24];
  uint64_t micros =
      static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count());
  for (int i = 5; i >= 0; --i) {
    bytes[i] = static_cast<unsigned char>(micros & 0xff);
    micros >>= 8;
  }
  size_t got = 6;
  while (got < sizeof bytes) {
    ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      throw Error(err::kCallFailed, "No random bytes for a new identifier.",
                  kStoreSource);
    }
    got += static_cast<size_t>(n);
  }
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(sizeof bytes * 2);
  for (unsigned char b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

namespace {

std::unique_ptr<SqliteBackend::Impl> OpenFile(const std::string& path) {
  auto impl = std::make_unique<SqliteBackend::Impl>();
  impl->Open(path);
  return impl;
}

void LoadInfo(SqliteBackend::Impl& impl) {
  impl.info.schema_version = std::atoi(GetMeta(impl, "schema_version").c_str());
  impl.info.store_id = GetMeta(impl, "store_id");
  impl.info.display_name = GetMeta(impl, "display_name");
  impl.info.owner_name = GetMeta(impl, "owner_name");
  impl.info.owner_address = GetMeta(impl, "owner_address");
  impl.info.kind =
      GetMeta(impl, "kind") == "mailbox" ? StoreKind::Mailbox : StoreKind::Shared;
  impl.item_columns = ItemColumns(SqliteBackend::kSchemaVersion);
  impl.item_select = "i.id, i.entry_id, i.folder_id, i.change_counter, i.creator";
  for (const StandardProperty& p : StandardProperties())
    impl.item_select += ", i." + ColumnName(p);
  std::string placeholders;
  for (size_t i = 0; i < kPropCount; ++i) placeholders += ", ?" + std::to_string(i + 4);
  impl.insert_item = "INSERT INTO items(entry_id, folder_id, change_counter, creator, " +
                     impl.item_columns + ") VALUES(?1, ?2, 1, ?3" + placeholders + ")";
  std::string sets;
  for (const StandardProperty& p : StandardProperties())
    sets += ", " + ColumnName(p) + " = ?" + std::to_string(static_cast<int>(p.prop) + 3);
  impl.update_item = "UPDATE items SET change_counter = change_counter + 1" + sets +
                     " WHERE id = ?1 AND change_counter = ?2";
}

}  // namespace

SqliteBackend::SqliteBackend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SqliteBackend::~SqliteBackend() = default;

std::unique_ptr<SqliteBackend> SqliteBackend::Open(const std::string& path,
                                                   const NewStore& create) {
  std::error_code ec;
  bool existed =
      std::filesystem::exists(path, ec) && std::filesystem::file_size(path, ec) > 0;
  std::unique_ptr<Impl> impl = OpenFile(path);
  if (!existed) {
    impl->Configure();
    CreateStore(*impl, kSchemaVersion, create);
  } else {
    // Look before writing anything: a file that is not a store stays as it was.
    int64_t tables = 0;
    {
      SqliteQuery q(*impl, "SELECT count(*) FROM sqlite_master");
      if (q.Step()) tables = q.Int(0);
    }
    if (tables == 0) {
      impl->Configure();
      CreateStore(*impl, kSchemaVersion, create);
    } else {
      for (std::string_view table : kRequiredTables) {
        if (!TableExists(*impl, table))
          RaiseDamaged(*impl, "is damaged or is not a store: table '" +
                                  std::string(table) + "' is missing.");
      }
      int version = std::atoi(GetMeta(*impl, "schema_version").c_str());
      if (version < 1) RaiseDamaged(*impl, "is damaged: it has no schema version.");
      if (version > kSchemaVersion)
        throw Error(err::kVersionMismatch,
                    "The store file '" + path +
                        "' was written by a newer version (schema " +
                        std::to_string(version) + "; this program reads up to " +
                        std::to_string(kSchemaVersion) + ").",
                    kStoreSource);
      impl->Configure();
      if (version < kSchemaVersion) Migrate(*impl, version);
      // Changes older than a day were long since seen by every session.
      SqliteQuery(*impl, "DELETE FROM change_log WHERE at < ?1")
          .Bind(1, Now().Serial() - 1)
          .Run();
    }
  }
  LoadInfo(*impl);
  {
    SqliteQuery q(*impl, "PRAGMA data_version");
    impl->data_version = q.Step() ? q.Int(0) : -1;
  }
  return std::unique_ptr<SqliteBackend>(new SqliteBackend(std::move(impl)));
}

void SqliteBackend::CreateAtVersionForTesting(const std::string& path, int version,
                                              const NewStore& create) {
  std::unique_ptr<Impl> impl = OpenFile(path);
  impl->Configure();
  CreateStore(*impl, version, create);
}

const std::string& SqliteBackend::Location() const { return impl_->path; }
StoreInfo SqliteBackend::Info() const { return impl_->info; }

void LogChange(SqliteBackend::Impl& impl, int64_t folder_id, std::string_view entry_id,
               ChangeKind kind) {
  SqliteQuery(
      impl,
      "INSERT INTO change_log(folder_id, entry_id, kind, at) VALUES(?1, ?2, ?3, ?4)")
      .Bind(1, folder_id)
      .Bind(2, entry_id)
      .Bind(3, int64_t{static_cast<int32_t>(kind)})
      .Bind(4, Now().Serial())
      .Run();
}

// --- Changes ---------------------------------------------------------------

int64_t SqliteBackend::LastChangeSeq() {
  SqliteQuery q(*impl_, "SELECT coalesce(max(seq), 0) FROM change_log");
  return q.Step() ? q.Int(0) : 0;
}

std::vector<ChangeRow> SqliteBackend::ChangesAfter(int64_t seq) {
  return SqliteQuery(
             *impl_,
             "SELECT seq, folder_id, entry_id, kind FROM change_log WHERE seq > ?1 "
             "ORDER BY seq LIMIT 1000")
      .Bind(1, seq)
      .Rows([](const SqliteQuery& r) {
        return ChangeRow{r.Int(0), r.Int(1), r.Text(2),
                         static_cast<ChangeKind>(r.Int(3))};
      });
}

Date SqliteBackend::CurrentTime() { return Now(); }

bool SqliteBackend::BeginBatch() { return impl_->BeginBatch(); }

void SqliteBackend::CommitBatch() { impl_->CommitBatch(); }

bool SqliteBackend::ChangedElsewhere() {
  SqliteQuery q(*impl_, "PRAGMA data_version");
  int64_t version = q.Step() ? q.Int(0) : -1;
  bool changed = version != impl_->data_version;
  impl_->data_version = version;
  return changed;
}

}  // namespace zanvoro::host
