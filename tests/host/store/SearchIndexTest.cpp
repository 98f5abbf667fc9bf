#include <sqlite3.h>

#include <set>

#include "StoreTestSupport.h"
#include "host/store/Filter.h"
#include "host/store/Recordset.h"
#include "host/store/SqliteBackend.h"
#include "host/store/UserProperties.h"

namespace zanvoro::host::testing {
namespace {

// Reads a store file through a connection of its own, as another program would.
class Peek {
 public:
  explicit Peek(const std::string& path) {
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
  }
  ~Peek() { sqlite3_close(db_); }
  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> out;
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db_);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(stmt, 0);
      out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
    sqlite3_finalize(stmt);
    return out;
  }
  std::string NameId(const std::string& name) {
    auto ids = Column("SELECT id FROM property_names WHERE name = '" + name + "'");
    return ids.empty() ? "" : ids[0];
  }
  std::set<std::string> PropertyIndexes() {
    auto names = Column(
        "SELECT name FROM sqlite_master WHERE type = 'index' AND "
        "tbl_name = 'item_properties' AND sql IS NOT NULL");
    return {names.begin(), names.end()};
  }

 private:
  sqlite3* db_ = nullptr;
};

class SearchIndexTest : public StoreTest {
 protected:
  void SetUp() override {
    ns_ = OpenShared(Ann());
    folder_ = ns_->Stores()[0]->GetRootFolder()->Folders().Add("Cases");
    for (int n = 1; n <= 30; ++n) {
      auto item = folder_->Items()->Add();
      item->UserProperties()
          .Add("Case.CaseNumber", UserPropertyType::Text)
          ->SetValue(Variant(std::to_string(n)));
      item->UserProperties()
          .Add("Case.Status", UserPropertyType::Text)
          ->SetValue(Variant(n % 2 ? "Open" : "Closed"));
      item->UserProperties()
          .Add("Case.TimeSpent", UserPropertyType::Number)
          ->SetValue(Variant(double(n)));
      item->Save();
    }
  }

  std::vector<std::string> Plan(std::string_view filter) {
    auto& backend = dynamic_cast<SqliteBackend&>(ns_->Stores()[0]->Backend());
    SqlCondition condition = CompileFilter(filter, backend, 2);
    ItemSelection selection{folder_->Id(), condition.sql, condition.params, {}};
    return backend.FindPlanForTesting(selection);
  }

  std::unique_ptr<NameSpace> ns_;
  std::shared_ptr<MAPIFolder> folder_;
};

TEST_F(SearchIndexTest, AFindUsesThePartialIndexOfItsPropertyAndKind) {
  EXPECT_TRUE(Peek(SharedPath()).PropertyIndexes().empty()) << "nothing searched yet";
  struct {
    const char* filter;
    const char* property;
    const char* index;
    int count;
  } cases[] = {
      {"[Case.CaseNumber] = '17'", "Case.CaseNumber", "item_properties_text_", 1},
      {"[Case.TimeSpent] > 25", "Case.TimeSpent", "item_properties_number_", 5},
  };
  for (const auto& c : cases) {
    std::string index = c.index + Peek(SharedPath()).NameId(c.property);
    std::string plan;
    for (const std::string& step : Plan(c.filter)) plan += " " + step + " ";
    EXPECT_NE(plan.find(" " + index + " "), std::string::npos) << plan;
    EXPECT_EQ(folder_->Items()->Restrict(c.filter)->Count(), c.count) << c.filter;
  }
}

TEST_F(SearchIndexTest, ASearchMatchingMostOfTheFolderChecksEachItem) {
  std::string plan;
  for (const std::string& step : Plan("[Case.TimeSpent] >= 5")) plan += " " + step + " ";
  EXPECT_EQ(plan.find("item_properties_number_"), std::string::npos) << plan;
  EXPECT_NE(plan.find("PRIMARY KEY"), std::string::npos) << plan;
  EXPECT_EQ(folder_->Items()->Restrict("[Case.TimeSpent] >= 5")->Count(), 26);
  // Under NOT, beside a search the index still drives.
  EXPECT_EQ(folder_->Items()
                ->Restrict("NOT ([Case.TimeSpent] >= 5) OR [Case.Status] = 'open'")
                ->Count(),
            17);
  Recordset rows = folder_->ExecSQL(
      "Select \"Case.CaseNumber\" from Folder where \"Case.TimeSpent\" >= 5");
  ASSERT_EQ(rows.RecordCount(), 26u);
  rows.MoveFirst();
  EXPECT_EQ(CStr(rows.Fields("Case.CaseNumber").Value), "5");
}

TEST_F(SearchIndexTest, OnlySearchedPropertiesGetIndexes) {
  folder_->Items()->Find("[Case.CaseNumber] = '3'");
  EXPECT_EQ(folder_->ExecSQL("Select EntryID from Folder where \"Case.Status\" = 'open'")
                .RecordCount(),
            15u);
  Peek peek(SharedPath());
  std::string number = peek.NameId("Case.CaseNumber");
  std::string status = peek.NameId("Case.Status");
  std::set<std::string> expected = {
      "item_properties_text_" + number, "item_properties_number_" + number,
      "item_properties_text_" + status, "item_properties_number_" + status};
  EXPECT_EQ(peek.PropertyIndexes(), expected);
  auto searched = peek.Column("SELECT name_id FROM searched_properties ORDER BY name_id");
  std::set<std::string> recorded(searched.begin(), searched.end());
  EXPECT_EQ(recorded, (std::set<std::string>{number, status}));
}

TEST_F(SearchIndexTest, ASessionKeepsWorkingWhenAnotherAddsAnIndex) {
  auto other = OpenShared(Bob());
  auto other_folder = other->GetFolderFromID(folder_->EntryID());
  EXPECT_EQ(folder_->Items()->Restrict("[Case.CaseNumber] = '4'")->Count(), 1);
  // Bob's session changes the schema under Ann's cached statements.
  EXPECT_EQ(other_folder->Items()->Restrict("[Case.Status] = 'closed'")->Count(), 15);
  EXPECT_EQ(folder_->Items()->Restrict("[Case.CaseNumber] = '4'")->Count(), 1);
  // Both ask for the same new index; the second finds it made.
  EXPECT_EQ(folder_->Items()->Restrict("[Case.TimeSpent] <= 2")->Count(), 2);
  EXPECT_EQ(other_folder->Items()->Restrict("[Case.TimeSpent] <= 2")->Count(), 2);
  auto item = folder_->Items()->Add();
  item->UserProperties()
      .Add("Case.Status", UserPropertyType::Text)
      ->SetValue(Variant("Closed"));
  item->Save();
  EXPECT_EQ(other_folder->Items()->Restrict("[Case.Status] = 'closed'")->Count(), 16);
}

using StoreMigrationTest = StoreTest;

TEST_F(StoreMigrationTest, VersionThreeLosesItsGlobalPropertyIndexes) {
  SqliteBackend::CreateAtVersionForTesting(SharedPath(), 3, NewStore{"Helpdesk"});
  EXPECT_EQ(Peek(SharedPath()).PropertyIndexes(),
            (std::set<std::string>{"item_properties_text", "item_properties_number"}));
  auto ns = OpenShared(Ann());
  EXPECT_EQ(ns->Stores()[0]->Backend().Info().schema_version, 4);
  auto folder = ns->Stores()[0]->GetRootFolder();
  auto item = folder->Items()->Add();
  item->UserProperties()
      .Add("Technician", UserPropertyType::Text)
      ->SetValue(Variant("Ann"));
  item->Save();
  EXPECT_TRUE(Peek(SharedPath()).PropertyIndexes().empty());
  ASSERT_TRUE(folder->Items()->Find("[Technician] = 'ann'"));
  Peek peek(SharedPath());
  EXPECT_EQ(peek.PropertyIndexes().size(), 2u);
  EXPECT_EQ(peek.Column("SELECT count(*) FROM searched_properties"),
            std::vector<std::string>{"1"});
}

}  // namespace
}  // namespace zanvoro::host::testing
