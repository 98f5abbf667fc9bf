// One piece of work's writes in one transaction per store of the session:
// an arrived mail becomes a case, its log and its filed copy together, so a
// process killed half-way leaves none of it, and each store commits once
// instead of once per save. Batches nest; only the outermost one commits.
//
// The stores commit when the batch ends, the shared (helpdesk) stores before
// the mailboxes: a mail filed from a mailbox into a shared store is stored
// there before it leaves the mailbox, so a crash between the two leaves it
// in both, never in neither. What must wait for the writes to be visible to
// other processes (waking the mail worker to send what was queued) is
// handed to AfterCommit. UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zanvoro::host {

class NameSpace;
class Store;

class WriteBatch {
 public:
  // Begins a batch on every store of `session` that can begin one now; a
  // store that is busy stores its writes one by one as without a batch.
  // Without a session only AfterCommit waits for the batch's end.
  explicit WriteBatch(NameSpace* session);
  // Begins a batch on `store` alone. On a store on a server the batch holds
  // the store's write lock from here: what is read inside it cannot be
  // changed by others before it is saved (a read, change and save that
  // lost to another session's save is made again in one).
  explicit WriteBatch(const std::shared_ptr<Store>& store);
  // Commits. A store that fails to commit loses this batch's writes (its
  // items stay as they were before); the error is not raised from here.
  ~WriteBatch();
  WriteBatch(const WriteBatch&) = delete;
  WriteBatch& operator=(const WriteBatch&) = delete;

  // Whether a batch is open.
  static bool Active();
  // Commits what the open batch holds now; the rest of its writes are
  // stored one by one. Before the program waits for a person (a message
  // box, a modal window), so that nobody else waits on the store meanwhile.
  static void CommitEarly();
  // Runs `action` once the outermost batch has committed (at once when no
  // batch is open). Actions with the same `key` queued in one batch run
  // once.
  static void AfterCommit(const std::string& key, std::function<void()> action);
};

}  // namespace zanvoro::host
