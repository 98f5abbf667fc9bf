// The UI thread's event loop: one queue of posted tasks and timers, run one
// at a time on the thread that calls Run(). Everything the add-in does runs
// here; nothing is ever run re-entrantly (a task that pumps the loop while it
// runs gets no other task).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace zanvoro::host {

class EventLoop {
 public:
  using Task = std::function<void()>;
  using TimerId = uint64_t;

  EventLoop();
  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // Queues `task` behind the tasks already queued. Thread-safe.
  void Post(Task task);
  // Runs `task` every `interval` until KillTimer; the first run is one
  // interval from now. A timer whose task is still running is not started
  // again; a loop that fell behind skips the missed ticks instead of running
  // them in a burst. Ids are never 0. Loop thread only; a task may kill its
  // own timer.
  TimerId SetTimer(std::chrono::milliseconds interval, Task task);
  void KillTimer(TimerId id);

  // Runs tasks and timers until Quit() is called. A task that throws is
  // reported on stderr and the loop goes on. Returns at once when called
  // from inside a running task.
  void Run();
  // Asks Run() to return after the current task. Thread-safe and safe to
  // call from a signal handler. The request stays: a later Run() or
  // RunUntil() returns at once; tasks still queued stay queued.
  void Quit();
  bool QuitRequested() const;

  // For tests and for commands that do one thing: runs what is queued and
  // due now without waiting (not the tasks those post); returns the number
  // of tasks and timer runs. Returns 0 when called from inside a running task.
  size_t RunPending();
  // Runs tasks and timers until `done()` is true, `timeout` passed or Quit()
  // was called; returns done(). Inside a running task it runs nothing and
  // returns done() at once.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

  // Ends Run() on SIGINT and SIGTERM (installs the handlers; one loop only).
  void QuitOnSignals();

  // Each task and timer run goes through `wrapper`, which calls the task,
  // and `settle` runs at the end of each turn (the tasks queued when it
  // began and the timers then due), before the loop waits or returns: the
  // session groups the store writes of tasks that run back to back. Empty
  // functions remove them. Loop thread only.
  void SetTaskWrapper(std::function<void(const Task&)> wrapper,
                      std::function<void()> settle);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace zanvoro::host
