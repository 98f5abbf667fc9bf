#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "ChildProcess.h"
#include "StoreTestSupport.h"
#include "host/store/SqliteBackend.h"
#include "host/store/UserProperties.h"

namespace zanvoro::host::testing {
namespace {

using StoreFileTest = StoreTest;

void Remove(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"})
    std::filesystem::remove(path + suffix);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Changes a store file behind the store's back, as damage or another
// version would.
void Tamper(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);
}

TEST_F(StoreFileTest, AnOlderSchemaIsMigratedOnOpen) {
  SqliteBackend::CreateAtVersionForTesting(SharedPath(), 1, NewStore{"Helpdesk"});
  auto ns = OpenShared(Ann());
  auto store = ns->Stores()[0];
  EXPECT_EQ(store->Backend().Info().schema_version, SqliteBackend::kSchemaVersion);
  EXPECT_EQ(store->DisplayName(), "Helpdesk");
  auto item = store->GetRootFolder()->Items()->Add();
  item->SetMessageID("<1@example.com>");
  item->UserProperties().Add("Technician", UserPropertyType::Text, true);
  item->Save();
  EXPECT_EQ(ns->GetItemFromID(item->EntryID())->MessageID(), "<1@example.com>");
  EXPECT_EQ(store->GetRootFolder()->UserDefinedProperties().size(), 1u);
}

// A file that is no store of this version is refused, named, and left as it is.
TEST_F(StoreFileTest, AFileThatIsNoStoreOfThisVersionIsRefusedAndLeftAlone) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 251);
  struct {
    const char* damage;  // nullptr: the garbage above instead of a store
    int32_t number;
    const char* named;
  } cases[] = {
      {"UPDATE meta SET value = '99' WHERE key = 'schema_version'", err::kVersionMismatch,
       "99"},
      {"DROP TABLE recipients", err::kCorruptData, "recipients"},
      {nullptr, err::kCorruptData, ""},
  };
  for (const auto& c : cases) {
    Remove(SharedPath());
    if (c.damage) {
      OpenShared(Ann());
      Tamper(SharedPath(), c.damage);
    } else {
      std::ofstream(SharedPath(), std::ios::binary) << garbage;
    }
    std::string before = ReadAll(SharedPath());
    try {
      OpenShared(Ann());
      ADD_FAILURE() << "opened " << (c.damage ? c.damage : "garbage");
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), c.number) << e.Description();
      EXPECT_NE(e.Description().find(SharedPath()), std::string::npos) << e.Description();
      EXPECT_NE(e.Description().find(c.named), std::string::npos) << e.Description();
    }
    EXPECT_EQ(ReadAll(SharedPath()), before);
  }
  // Another program's database is not taken over.
  Remove(SharedPath());
  Tamper(SharedPath(), "CREATE TABLE notes(x)");
  ExpectError(err::kCorruptData, [&] { OpenShared(Ann()); });
}

// A process that dies inside a transaction, on either kind of store.
class CrashTest : public BothBackends<> {};

TEST_P(CrashTest, AMoveCutShortLeavesTheItemExactlyOnce) {
  std::string entry_id, archive_id;
  {
    auto ns = OpenShared(Ann());
    auto root = ns->Stores()[0]->GetRootFolder();
    auto open = root->Folders().Add("Open");
    archive_id = root->Folders().Add("Archive")->EntryID();
    auto item = open->Items()->Add();
    item->SetSubject("survivor");
    item->Save();
    entry_id = item->EntryID();
  }
  for (const char* step : {"move-crash:move:updated", "move-crash:move:logged"}) {
    ASSERT_EQ(RunChild(step, SharedPath(), entry_id, archive_id), 3) << step;
    auto ns = OpenShared(Ann());
    auto root = ns->Stores()[0]->GetRootFolder();
    EXPECT_EQ(root->Folders().Item("Open")->Items()->Count(), 1) << step;
    EXPECT_EQ(root->Folders().Item("Archive")->Items()->Count(), 0) << step;
    EXPECT_EQ(ns->GetItemFromID(entry_id)->Subject(), "survivor");
  }
  auto ns = OpenShared(Ann());
  ns->GetItemFromID(entry_id)->Move(ns->GetFolderFromID(archive_id));
  EXPECT_EQ(ns->GetFolderFromID(archive_id)->Items()->Count(), 1)
      << "the store still works";
}

TEST_P(CrashTest, ASaveCutShortLeavesTheItemAsItWas) {
  std::string entry_id;
  {
    auto ns = OpenShared(Ann());
    auto item = ns->Stores()[0]->GetRootFolder()->Items()->Add();
    item->SetSubject("before");
    item->Save();
    entry_id = item->EntryID();
  }
  for (const char* step : {"save-crash:save:item", "save-crash:save:properties"}) {
    ASSERT_EQ(RunChild(step, SharedPath(), entry_id), 3) << step;
    auto ns = OpenShared(Ann());
    auto item = ns->GetItemFromID(entry_id);
    EXPECT_EQ(item->Subject(), "before") << step;
    EXPECT_EQ(item->UserProperties().Count(), 0) << step;
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, CrashTest, StoreBackends(), BackendName);

}  // namespace
}  // namespace zanvoro::host::testing
