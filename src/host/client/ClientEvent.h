// The client's events (an explorer's Activate, Close and FolderSwitch, the
// collection's NewExplorer, the application's Quit, a toolbar button's
// Click): handlers connected to an Event run in the order they were
// connected, on the UI thread, each time the event fires.
//
// A connection stays until it is disconnected; a ScopedConnection
// disconnects when it goes away, so an object that listens to a window can
// die before the window does. A handler may disconnect itself or others and
// may destroy the event's owner while it runs: the event fires to the
// handlers connected when it began that are still connected.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace zanvoro::host {

namespace detail {

struct EventSlots {
  virtual ~EventSlots() = default;
  virtual void Remove(uint64_t id) = 0;
};

}  // namespace detail

class EventConnection {
 public:
  EventConnection() = default;
  EventConnection(std::weak_ptr<detail::EventSlots> slots, uint64_t id)
      : slots_(std::move(slots)), id_(id) {}

  void Disconnect() {
    if (auto slots = slots_.lock()) slots->Remove(id_);
    slots_.reset();
    id_ = 0;
  }
  bool Connected() const { return id_ != 0 && !slots_.expired(); }

 private:
  std::weak_ptr<detail::EventSlots> slots_;
  uint64_t id_ = 0;
};

class ScopedConnection {
 public:
  ScopedConnection() = default;
  ScopedConnection(EventConnection connection) : connection_(std::move(connection)) {}
  ~ScopedConnection() { connection_.Disconnect(); }
  ScopedConnection(ScopedConnection&& other) noexcept
      : connection_(std::exchange(other.connection_, {})) {}
  ScopedConnection& operator=(ScopedConnection&& other) noexcept {
    if (this != &other) {
      connection_.Disconnect();
      connection_ = std::exchange(other.connection_, {});
    }
    return *this;
  }
  ScopedConnection(const ScopedConnection&) = delete;
  ScopedConnection& operator=(const ScopedConnection&) = delete;

  void Disconnect() { connection_.Disconnect(); }

 private:
  EventConnection connection_;
};

template <class... Args>
class Event {
 public:
  using Handler = std::function<void(Args...)>;

  Event() : slots_(std::make_shared<Slots>()) {}
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  EventConnection Connect(Handler handler) {
    uint64_t id = ++slots_->next_id;
    slots_->handlers.emplace_back(id, std::make_shared<Handler>(std::move(handler)));
    return EventConnection(slots_, id);
  }

  void Fire(Args... args) {
    // Held here: a handler may destroy the object that owns this event.
    std::shared_ptr<Slots> slots = slots_;
    auto handlers = slots->handlers;
    for (const auto& [id, handler] : handlers) {
      if (slots->Has(id)) (*handler)(args...);
    }
  }

  size_t HandlerCount() const { return slots_->handlers.size(); }

 private:
  struct Slots : detail::EventSlots {
    std::vector<std::pair<uint64_t, std::shared_ptr<Handler>>> handlers;
    uint64_t next_id = 0;
    void Remove(uint64_t id) override {
      std::erase_if(handlers, [id](const auto& slot) { return slot.first == id; });
    }
    bool Has(uint64_t id) const {
      for (const auto& slot : handlers) {
        if (slot.first == id) return true;
      }
      return false;
    }
  };

  std::shared_ptr<Slots> slots_;
};

}  // namespace zanvoro::host
