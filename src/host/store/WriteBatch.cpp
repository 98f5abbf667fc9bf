#include "host/store/WriteBatch.h"

#include <algorithm>
#include <utility>

#include "host/store/NameSpace.h"
#include "host/store/Store.h"
#include "host/store/StoreBackend.h"
#include "runtime/Error.h"

namespace zanvoro::host {

namespace {

struct BatchState {
  int depth = 0;
  std::vector<std::shared_ptr<Store>> stores;  // batched, in commit order
  std::vector<std::pair<std::string, std::function<void()>>> after_commit;
};

BatchState& State() {
  static BatchState state;
  return state;
}

void CommitStores() {
  auto stores = std::move(State().stores);
  State().stores.clear();
  for (const auto& store : stores) {
    try {
      store->Backend().CommitBatch();
    } catch (const Error&) {
      // Rolled back: the next save of these items meets their stored state.
    }
  }
  auto actions = std::move(State().after_commit);
  State().after_commit.clear();
  for (auto& [key, action] : actions) {
    try {
      action();
    } catch (...) {
      // An action's failure is its own; the others still run.
    }
  }
}

}  // namespace

WriteBatch::WriteBatch(NameSpace* session) {
  if (State().depth++ > 0 || !session) return;
  std::vector<std::shared_ptr<Store>> stores = session->Stores();
  std::stable_partition(stores.begin(), stores.end(), [](const auto& store) {
    return store->Kind() != StoreKind::Mailbox;
  });
  for (auto& store : stores) {
    if (store->Backend().BeginBatch()) State().stores.push_back(std::move(store));
  }
}

WriteBatch::WriteBatch(const std::shared_ptr<Store>& store) {
  if (State().depth++ > 0 || !store) return;
  if (store->Backend().BeginBatch()) State().stores.push_back(store);
}

WriteBatch::~WriteBatch() {
  if (--State().depth == 0) CommitStores();
}

bool WriteBatch::Active() { return State().depth > 0; }

void WriteBatch::CommitEarly() {
  if (Active()) CommitStores();
}

void WriteBatch::AfterCommit(const std::string& key, std::function<void()> action) {
  if (!Active()) {
    action();
    return;
  }
  auto& queued = State().after_commit;
  for (const auto& entry : queued) {
    if (entry.first == key) return;
  }
  queued.emplace_back(key, std::move(action));
}

}  // namespace zanvoro::host
