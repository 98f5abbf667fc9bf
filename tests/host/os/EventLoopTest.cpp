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

TEST(EventLoop, RunsPostedTasksInOrderAndATaskPostedByATaskOnTheNextTurn) {
  EventLoop loop;
  std::vector<std::string> order;
  loop.Post([&] {
    order.push_back("first");
    loop.Post([&] { order.push_back("posted by first"); });
  });
  for (const char* name : {"second", "third"})
    loop.Post([&, name] { order.push_back(name); });
  EXPECT_EQ(loop.RunPending(), 3u);
  EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(loop.RunPending(), 1u);
  EXPECT_EQ(order.back(), "posted by first");
  EXPECT_EQ(loop.RunPending(), 0u);
}

TEST(EventLoop, ATaskOrTimerThatThrowsDoesNotStopTheLoop) {
  EventLoop loop;
  bool after = false;
  int ticks = 0;
  loop.Post([] { throw std::runtime_error("broken task"); });
  loop.Post([] { throw 42; });
  loop.Post([&] { after = true; });
  loop.SetTimer(milliseconds(1), [&] {
    ++ticks;
    throw std::runtime_error("tick failed");
  });
  testing::internal::CaptureStderr();
  EXPECT_GE(loop.RunPending(), 3u);
  bool reached = loop.RunUntil([&] { return ticks >= 2; }, kPatience);
  std::string reported = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(after);
  EXPECT_TRUE(reached);
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

TEST(EventLoop, TimerRunsRepeatedlyFromItsIntervalOnUntilKilledEvenByItself) {
  EventLoop loop;
  int later = 0;
  loop.SetTimer(std::chrono::hours(1), [&] { ++later; });
  EXPECT_EQ(loop.RunPending(), 0u);
  int ticks = 0;
  EventLoop::TimerId id = loop.SetTimer(milliseconds(1), [&] { ++ticks; });
  EXPECT_NE(id, 0u);
  ASSERT_TRUE(loop.RunUntil([&] { return ticks >= 3; }, kPatience));
  loop.KillTimer(id);
  int at_kill = ticks;
  int once = 0;
  EventLoop::TimerId self = 0;
  self = loop.SetTimer(milliseconds(1), [&] {
    ++once;
    loop.KillTimer(self);
  });
  loop.RunUntil([&] { return once >= 1; }, kPatience);
  loop.RunUntil([] { return false; }, milliseconds(20));
  EXPECT_EQ(ticks, at_kill);
  EXPECT_EQ(once, 1);
  EXPECT_EQ(later, 0);
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

TEST(EventLoop, SigtermEndsRunWhenAskedTo) {
  EventLoop loop;
  loop.QuitOnSignals();
  loop.Post([] { ::raise(SIGTERM); });
  loop.Run();
  EXPECT_TRUE(loop.QuitRequested());
}

}  // namespace
}  // namespace zanvoro::host
