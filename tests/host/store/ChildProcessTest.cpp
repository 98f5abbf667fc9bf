// The other process of the cross-process tests: does what kChildVariable
// asks and exits with 0 on success, 1 on an error, or what a step hook says.
#include <unistd.h>

#include <iostream>

#include "ChildProcess.h"
#include "StoreTestSupport.h"
#include "host/store/UserProperties.h"
#include "runtime/Text.h"

namespace zanvoro::host::testing {
namespace {

int Act(const std::vector<std::string>& f) {
  const std::string& action = f[0];
  NameSpace ns(Bob(), nullptr, {{f[1], "Helpdesk", StoreKind::Shared}});
  if (action == "save-new") {
    auto item = ns.GetFolderFromID(f[3])->Items()->Add();
    item->SetSubject("from another process");
    item->Save();
  } else if (action == "edit") {
    auto item = ns.GetItemFromID(f[2]);
    item->SetSubject("changed by another process");
    item->Save();
  } else if (StartsWithText(action, "save-crash:")) {
    std::string step = action.substr(11);
    SetStoreStepHookForTesting([step](std::string_view at) {
      if (at == step) _exit(3);
    });
    auto item = ns.GetItemFromID(f[2]);
    item->SetSubject("half saved");
    item->UserProperties()
        .Add("Case.Status", UserPropertyType::Text)
        ->SetValue(Variant("x"));
    item->Save();
  } else if (StartsWithText(action, "move-crash:")) {
    std::string step = action.substr(11);
    SetStoreStepHookForTesting([step](std::string_view at) {
      if (at == step) _exit(3);
    });
    ns.GetItemFromID(f[2])->Move(ns.GetFolderFromID(f[3]));
  } else {
    return 2;
  }
  return 0;
}

TEST(StoreChild, Act) {
  const char* order = getenv(kChildVariable);
  if (!order) GTEST_SKIP() << "runs only as the child of a cross-process test";
  std::vector<std::string> fields = Split(order, "|");
  int code = 1;
  try {
    if (fields.size() == 4) code = Act(fields);
  } catch (const Error& e) {
    std::cerr << "child: " << e.Description() << "\n";
  }
  std::cout.flush();
  _exit(code);
}

}  // namespace
}  // namespace zanvoro::host::testing
