// Figures of the message store on a folder of case-like items, one per line
// as "name: value unit". Usage: store_bench [--items N] [--dir PATH]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/os/EventLoop.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"
#include "host/store/Store.h"
#include "host/store/UserProperties.h"
#include "runtime/Error.h"

using namespace zanvoro;
using namespace zanvoro::host;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

const char* kStatuses[] = {"Open", "Waiting", "In progress", "Closed", "Escalated"};

// 40 user properties: the number, the status, dates, numbers and texts.
void FillCase(Item& item, int n, std::mt19937& random) {
  auto& p = item.UserProperties();
  item.SetSubject("[HD-" + std::to_string(n) + "] Printer does not print");
  item.SetBody("The printer on floor 3 shows an error and prints nothing.");
  p.Add("Case.CaseNumber", UserPropertyType::Text)->SetValue(Variant(std::to_string(n)));
  p.Add("Case.CaseNumberS", UserPropertyType::Text)
      ->SetValue(Variant(std::to_string(100000000 + n)));
  p.Add("Case.Status", UserPropertyType::Text)
      ->SetValue(Variant(kStatuses[random() % 5]));
  p.Add("Case.Closed", UserPropertyType::Text)->SetValue(Variant("0"));
  double created = 45000 + n / 100.0;
  for (const char* name :
       {"Case.DateCreated", "Case.DueDate", "Case.ReceivedDate", "Case.DateClosed"})
    p.Add(name, UserPropertyType::DateTime)
        ->SetValue(Variant(Date(created + random() % 10)));
  p.Add("Case.TimeSpent", UserPropertyType::Number)
      ->SetValue(Variant(double(random() % 600)));
  for (int i = 1; i <= 10; ++i)
    p.Add("Case.CustomField" + std::to_string(i), UserPropertyType::Text)
        ->SetValue(Variant("custom value " + std::to_string(random() % 1000)));
  for (const char* name : {"Case.CallerName",
                           "Case.CallerEmail",
                           "Case.CallerCompany",
                           "Case.CallerAddress",
                           "Case.CallerPhone",
                           "Case.CallerDepartment",
                           "Case.CallerMobile",
                           "Case.ProblemType",
                           "Case.ProblemCategory",
                           "Case.ProblemField",
                           "Case.Origin",
                           "Case.ServiceLevel",
                           "Case.Author",
                           "Case.Technicians",
                           "Case.Notes",
                           "Case.Log",
                           "Case.Assets",
                           "Case.AssociatedUsers",
                           "Case.RecipientEmailAddress",
                           "Case.Body",
                           "Case Due",
                           "Case Created"})
    p.Add(name, UserPropertyType::Text)
        ->SetValue(Variant(std::string(name) + " of case " + std::to_string(n)));
}

}  // namespace

int main(int argc, char** argv) {
  int items = 100000;
  std::string dir;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--items") && i + 1 < argc)
      items = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--dir") && i + 1 < argc)
      dir = argv[++i];
  }
  bool own_dir = dir.empty();
  if (own_dir) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zanvoro-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    dir = pattern;
  }
  std::string path = (std::filesystem::path(dir) / "bench.db").string();
  try {
    EventLoop loop;
    UserInfo ann{"Ann Smith", "ann@example.com"};
    NameSpace ns(ann, &loop, {{path, "Helpdesk", StoreKind::Shared}});
    auto folder =
        ns.Stores()[0]->GetRootFolder()->Folders().Add("Ongoing", ItemType::Post);
    std::mt19937 random(7);

    auto start = Clock::now();
    for (int n = 1; n <= items; ++n) {
      auto item = folder->Items()->Add("IPM.Post.PLWSupportCase");
      FillCase(*item, n, random);
      item->Save();
    }
    double save_ms = Ms(Clock::now() - start);
    std::printf("items: %d items\n", items);
    std::printf("saves: %.0f saves/s\n", items / (save_ms / 1000));

    auto all = folder->Items();
    // The first search on a property also builds that property's index.
    auto first = Clock::now();
    if (!all->Find("[Case.CaseNumber] = '1'")) std::fprintf(stderr, "case 1 not found\n");
    std::printf("first find: %.0f ms\n", Ms(Clock::now() - first));
    std::vector<double> finds;
    for (int i = 0; i < 200; ++i) {
      int n = 1 + static_cast<int>(random() % static_cast<unsigned>(items));
      auto t = Clock::now();
      auto found = all->Find("[Case.CaseNumber] = '" + std::to_string(n) + "'");
      finds.push_back(Ms(Clock::now() - t) * 1000);
      if (!found) std::fprintf(stderr, "case %d not found\n", n);
    }
    std::printf("find median: %.0f us\n", Median(finds));

    auto t = Clock::now();
    Recordset rs = folder->ExecSQL(
        "Select EntryID, \"Case.CaseNumber\", \"Case.Status\" from Folder");
    double query_ms = Ms(Clock::now() - t);
    std::printf("table query rows: %zu rows\n", rs.RecordCount());
    std::printf("table query: %.0f ms\n", query_ms);

    UserInfo bob{"Bob Jones", "bob@example.com"};
    NameSpace other(bob, &loop, {{path, "Helpdesk", StoreKind::Shared}});
    auto watched = other.GetFolderFromID(folder->EntryID());
    bool fired = false;
    Subscription subscription =
        watched->Items()->Subscribe([&](const std::shared_ptr<Item>&) { fired = true; });
    std::vector<double> latencies;
    for (int i = 0; i < 10; ++i) {
      fired = false;
      // Save at a random moment of the poll cycle, as a real save would come.
      loop.RunUntil([] { return false; }, std::chrono::milliseconds(random() % 150));
      auto item = folder->Items()->Add();
      item->SetSubject("watched");
      auto t0 = Clock::now();
      item->Save();
      loop.RunUntil([&] { return fired; }, std::chrono::milliseconds(5000));
      latencies.push_back(Ms(Clock::now() - t0));
    }
    std::printf("itemadd latency median: %.0f ms\n", Median(latencies));
  } catch (const Error& e) {
    std::fprintf(stderr, "error %s: %s\n", e.NumberText().c_str(),
                 e.Description().c_str());
    return 1;
  }
  if (own_dir) {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  return 0;
}
