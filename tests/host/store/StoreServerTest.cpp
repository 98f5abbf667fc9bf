// What only a store on a database server does: making its database, and
// refusing a database that holds something else.
#include "StoreTestSupport.h"
#include "host/db/Soci.h"
#include "host/db/SqlSession.h"

namespace zanvoro::host::testing {
namespace {

class StoreServerTest : public StoreTest {
 protected:
  StoreServerTest() { backend_ = Backend::Server; }
};

TEST_F(StoreServerTest, AMissingDatabaseIsMadeAndAForeignOneRefusedAndLeftAlone) {
  testsupport::TestServerDatabase database;
  {
    auto admin = db::OpenSession(testsupport::TestServerDatabase::LocationOf("postgres"));
    db::Execute(*admin, "DROP DATABASE " + database.Name());
  }
  {
    auto ns = std::make_unique<NameSpace>(
        Ann(), &loop_,
        std::vector<StoreSpec>{{database.Location(), "Helpdesk", StoreKind::Shared}});
    EXPECT_EQ(ns->Stores()[0]->DisplayName(), "Helpdesk");
    EXPECT_EQ(ns->Stores()[0]->FilePath(), database.Location());
  }

  auto session = db::OpenSession(SharedPath());
  db::Execute(*session, "CREATE TABLE orders(id integer)");
  db::Execute(*session, "INSERT INTO orders VALUES (7)");
  ExpectError(err::kCorruptData, [&] { OpenShared(Ann()); });
  int count = 0;
  soci::statement select(*session);
  select.exchange(soci::into(count));
  select.alloc();
  select.prepare("SELECT count(*) FROM orders");
  select.define_and_bind();
  select.execute(true);
  EXPECT_EQ(count, 1) << "left as it was";

  // A store of a newer version is refused too.
  OpenAnn();
  db::Execute(*db::OpenSession(MailboxPath()),
              "UPDATE meta SET value = '99' WHERE key = 'schema_version'");
  ExpectError(err::kVersionMismatch, [&] { OpenAnn(); });
}

}  // namespace
}  // namespace zanvoro::host::testing
