#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "host/os/EventLoop.h"

namespace zanvoro::host {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kPatience{10000};  // only reached when something is broken

TEST(EventLoop, RunsPostedTasksInOrder) {
  EventLoop loop;
  std::vector<int> order;
  for (int i = 1; i <= 5; ++i) loop.Post([&order, i] { order.push_back(i); });
  EXPECT_EQ(loop.RunPending(), 5u);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(loop.RunPending(), 0u);
}

TEST(EventLoop, RunsATaskPostedByATaskOnTheNextTurn) {
  EventLoop loop;
  std::vector<std::string> order;
  loop.Post([&] {
    order.push_back("first");
    loop.Post([&] { order.push_back("posted by first"); });
  });
  loop.Post([&] { order.push_back("second"); });
  EXPECT_EQ(loop.RunPending(), 2u);
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(loop.RunPending(), 1u);
  EXPECT_EQ(order.back(), "posted by first");
}

TEST(EventLoop, ATaskThatThrowsDoesNotStopTheLoop) {
  EventLoop loop;
  bool after = false;
  loop.Post([] { throw std::runtime_error("broken task"); });
  loop.Post([] { throw 42; });
  loop.Post([&] { after = true; });
  testing::internal::CaptureStderr();
  EXPECT_EQ(loop.RunPending(), 3u);
  std::string reported = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(after);
  EXPECT_NE(reported.find("broken task"), std::string::npos);
}

TEST(EventLoop, ATaskThatPumpsTheLoopGetsNoOtherTask) {
  EventLoop loop;
  std::vector<std::string> order;
  size_t nested_ran = 99;
  bool nested_done = false;
  loop.Post([&] {
    order.push_back("outer start");
    nested_ran = loop.RunPending();
    nested_done = loop.RunUntil([] { return false; }, kPatience);
    loop.Run();  // returns at once instead of running the queue inside this task
    order.push_back("outer end");
  });
  loop.Post([&] { order.push_back("next"); });
  loop.RunPending();
  EXPECT_EQ(nested_ran, 0u);
  EXPECT_FALSE(nested_done);
  EXPECT_EQ(order, (std::vector<std::string>{"outer start", "outer end", "next"}));
}

TEST(EventLoop, TimerRunsRepeatedlyUntilKilled) {
  EventLoop loop;
  int ticks = 0;
  EventLoop::TimerId id = loop.SetTimer(milliseconds(1), [&] { ++ticks; });
  EXPECT_NE(id, 0u);
  ASSERT_TRUE(loop.RunUntil([&] { return ticks >= 3; }, kPatience));
  loop.KillTimer(id);
  int at_kill = ticks;
  loop.Post([] {});
  loop.RunUntil([] { return false; }, milliseconds(20));
  EXPECT_EQ(ticks, at_kill);
}

TEST(EventLoop, ATimerMayKillItselfFromItsTask) {
  EventLoop loop;
  int ticks = 0;
  EventLoop::TimerId id = 0;
  id = loop.SetTimer(milliseconds(1), [&] {
    ++ticks;
    loop.KillTimer(id);
  });
  loop.RunUntil([&] { return ticks >= 1; }, kPatience);
  loop.RunUntil([] { return false; }, milliseconds(20));
  EXPECT_EQ(ticks, 1);
}

TEST(EventLoop, TimerIsNotDueBeforeItsInterval) {
  EventLoop loop;
  int ticks = 0;
  loop.SetTimer(std::chrono::hours(1), [&] { ++ticks; });
  EXPECT_EQ(loop.RunPending(), 0u);
  EXPECT_EQ(ticks, 0);
}

TEST(EventLoop, AThrowingTimerKeepsTicking) {
  EventLoop loop;
  int ticks = 0;
  loop.SetTimer(milliseconds(1), [&] {
    ++ticks;
    throw std::runtime_error("tick failed");
  });
  testing::internal::CaptureStderr();
  bool reached = loop.RunUntil([&] { return ticks >= 2; }, kPatience);
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(reached);
}

TEST(EventLoop, TasksPostedFromOtherThreadsAllRun) {
  EventLoop loop;
  std::atomic<int> posted{0};
  int ran = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 250; ++i) {
        loop.Post([&] { ++ran; });
        ++posted;
      }
    });
  }
  EXPECT_TRUE(loop.RunUntil([&] { return ran == 1000; }, kPatience));
  for (auto& thread : threads) thread.join();
  loop.RunPending();
  EXPECT_EQ(ran, 1000);
}

TEST(EventLoop, QuitFromAnotherThreadEndsRun) {
  EventLoop loop;
  std::atomic<bool> running{false};
  loop.Post([&] { running = true; });
  std::thread quitter([&] {
    while (!running) std::this_thread::yield();
    loop.Quit();
  });
  loop.Run();  // blocks until the other thread quits it
  quitter.join();
  EXPECT_TRUE(loop.QuitRequested());
}

TEST(EventLoop, QuitEndsRunAfterTheCurrentTaskAndKeepsTheRestQueued) {
  EventLoop loop;
  std::vector<int> order;
  loop.Post([&] {
    order.push_back(1);
    loop.Quit();
  });
  loop.Post([&] { order.push_back(2); });
  loop.Run();
  EXPECT_EQ(order, (std::vector<int>{1}));
  EXPECT_EQ(loop.RunPending(), 1u);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(EventLoop, SigtermEndsRunWhenAskedTo) {
  EventLoop loop;
  loop.QuitOnSignals();
  loop.Post([] { ::raise(SIGTERM); });
  loop.Run();
  EXPECT_TRUE(loop.QuitRequested());
}

}  // namespace
}  // namespace zanvoro::host
