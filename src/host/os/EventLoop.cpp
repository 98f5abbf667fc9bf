#include "host/os/EventLoop.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "runtime/Error.h"

namespace zanvoro::host {
namespace {

using Clock = std::chrono::steady_clock;

enum class OnQuit { Stop, GoOn };

struct Timer {
  std::chrono::milliseconds interval;
  Clock::time_point due;
  EventLoop::Task task;
  bool running = false;
};

// Runs one task; a failure is reported and goes no further.
void RunGuarded(const EventLoop::Task& task) {
  try {
    task();
  } catch (const Error& error) {
    std::cerr << "zanvoro: a task failed with error " << error.NumberText() << ": "
              << error.Description() << std::endl;
  } catch (const std::exception& error) {
    std::cerr << "zanvoro: a task failed: " << error.what() << std::endl;
  } catch (...) {
    std::cerr << "zanvoro: a task failed with an unknown exception" << std::endl;
  }
}

}  // namespace

struct EventLoop::State {
  int wake_fd = -1;
  std::atomic<bool> quit{false};

  std::mutex mutex;
  std::deque<Task> queue;  // guarded by mutex

  // Loop thread only.
  std::map<TimerId, Timer> timers;
  TimerId next_timer_id = 1;
  bool in_task = false;
  std::function<void(const Task&)> wrapper;
  std::function<void()> settle;

  // Async-signal-safe: an atomic store and a write to an eventfd.
  void Wake() {
    uint64_t one = 1;
    int saved_errno = errno;
    [[maybe_unused]] ssize_t ignored = ::write(wake_fd, &one, sizeof one);
    errno = saved_errno;
  }
  void DrainWakeups() {
    uint64_t count = 0;
    [[maybe_unused]] ssize_t ignored = ::read(wake_fd, &count, sizeof count);
  }

  // Runs the tasks queued when it starts (not the ones they post) and the
  // timers due at that moment; returns how many ran.
  // One turn: the tasks queued now, then the due timers. The wrapper's
  // `settle` runs at the end of every turn, however it ends.
  size_t RunReady(OnQuit on_quit) {
    size_t ran = RunTurn(on_quit);
    if (settle) settle();
    return ran;
  }

  size_t RunTurn(OnQuit on_quit) {
    size_t ran = 0;
    std::deque<Task> batch;
    {
      std::lock_guard lock(mutex);
      batch.swap(queue);
    }
    while (!batch.empty()) {
      Task task = std::move(batch.front());
      batch.pop_front();
      RunTask(task);
      ++ran;
      if (on_quit == OnQuit::Stop && quit.load()) {
        // Whatever is left stays queued, in front of what was posted since.
        std::lock_guard lock(mutex);
        while (!batch.empty()) {
          queue.push_front(std::move(batch.back()));
          batch.pop_back();
        }
        return ran;
      }
    }
    ran += RunDueTimers(Clock::now(), on_quit);
    return ran;
  }

  size_t RunDueTimers(Clock::time_point now, OnQuit on_quit) {
    std::vector<std::pair<Clock::time_point, TimerId>> due;
    for (const auto& [id, timer] : timers) {
      if (timer.due <= now && !timer.running) due.emplace_back(timer.due, id);
    }
    std::sort(due.begin(), due.end());
    size_t ran = 0;
    for (const auto& [when, id] : due) {
      if (on_quit == OnQuit::Stop && quit.load()) break;
      auto it = timers.find(id);
      if (it == timers.end()) continue;  // killed by an earlier task
      // The task may kill its own timer: run a copy and look the timer up again.
      Task task = it->second.task;
      it->second.running = true;
      RunTask(task);
      ++ran;
      it = timers.find(id);
      if (it == timers.end()) continue;
      Timer& timer = it->second;
      timer.running = false;
      // A loop that fell behind does not make up the missed ticks in a burst.
      timer.due += timer.interval;
      Clock::time_point after = Clock::now();
      if (timer.due <= after) timer.due = after + timer.interval;
    }
    return ran;
  }

  void RunTask(const Task& task) {
    in_task = true;
    if (wrapper) {
      RunGuarded([&] { wrapper(task); });
    } else {
      RunGuarded(task);
    }
    in_task = false;
  }

  bool HasQueued() {
    std::lock_guard lock(mutex);
    return !queue.empty();
  }

  // Sleeps until a task is posted, Quit() is called, the next timer is due
  // or `deadline` passes.
  void Wait(std::optional<Clock::time_point> deadline) {
    std::optional<Clock::time_point> until = deadline;
    for (const auto& [id, timer] : timers) {
      if (!timer.running && (!until || timer.due < *until)) until = timer.due;
    }
    int timeout_ms = -1;
    if (until) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now());
      timeout_ms =
          static_cast<int>(std::clamp<int64_t>(left.count(), 0, 24 * 3600 * 1000));
    }
    pollfd entry{wake_fd, POLLIN, 0};
    int result = ::poll(&entry, 1, timeout_ms);
    if (result > 0) DrainWakeups();
  }

  // One turn of the loop: runs what is ready, or waits for something.
  void Turn(std::optional<Clock::time_point> deadline) {
    DrainWakeups();
    if (quit.load()) return;
    if (RunReady(OnQuit::Stop) > 0 || quit.load()) return;
    if (HasQueued()) return;
    Wait(deadline);
  }
};

EventLoop::EventLoop() : state_(std::make_unique<State>()) {
  state_->wake_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (state_->wake_fd < 0) {
    throw Error(err::kCallFailed,
                std::string("Cannot create the event loop: ") + std::strerror(errno),
                "Zanvoro.EventLoop");
  }
}

namespace {
std::atomic<EventLoop*> signal_loop{nullptr};

extern "C" void QuitOnSignal(int) {
  if (EventLoop* loop = signal_loop.load()) loop->Quit();
}
}  // namespace

EventLoop::~EventLoop() {
  EventLoop* self = this;
  if (signal_loop.load() == self) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    signal_loop.compare_exchange_strong(self, nullptr);
  }
  ::close(state_->wake_fd);
}

void EventLoop::SetTaskWrapper(std::function<void(const Task&)> wrapper,
                               std::function<void()> settle) {
  state_->wrapper = std::move(wrapper);
  state_->settle = std::move(settle);
}

void EventLoop::Post(Task task) {
  {
    std::lock_guard lock(state_->mutex);
    state_->queue.push_back(std::move(task));
  }
  state_->Wake();
}

EventLoop::TimerId EventLoop::SetTimer(std::chrono::milliseconds interval, Task task) {
  if (interval.count() < 1) interval = std::chrono::milliseconds(1);
  TimerId id = state_->next_timer_id++;
  state_->timers.emplace(id, Timer{interval, Clock::now() + interval, std::move(task)});
  return id;
}

void EventLoop::KillTimer(TimerId id) { state_->timers.erase(id); }

void EventLoop::Run() {
  if (state_->in_task) return;
  while (!state_->quit.load()) state_->Turn(std::nullopt);
}

void EventLoop::Quit() {
  state_->quit.store(true);
  state_->Wake();
}

bool EventLoop::QuitRequested() const { return state_->quit.load(); }

size_t EventLoop::RunPending() {
  if (state_->in_task) return 0;
  state_->DrainWakeups();
  return state_->RunReady(OnQuit::GoOn);
}

bool EventLoop::RunUntil(const std::function<bool()>& done,
                         std::chrono::milliseconds timeout) {
  if (state_->in_task) return done();
  Clock::time_point deadline = Clock::now() + timeout;
  while (!done()) {
    if (state_->quit.load() || Clock::now() >= deadline) return done();
    state_->Turn(deadline);
  }
  return true;
}

void EventLoop::QuitOnSignals() {
  signal_loop.store(this);
  struct sigaction action {};
  action.sa_handler = QuitOnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal_number : {SIGINT, SIGTERM}) {
    if (::sigaction(signal_number, &action, nullptr) != 0) {
      throw Error(
          err::kCallFailed,
          std::string("Cannot install the signal handlers: ") + std::strerror(errno),
          "Zanvoro.EventLoop");
    }
  }
}

}  // namespace zanvoro::host
