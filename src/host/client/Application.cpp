#include "host/client/Application.h"

#include <cctype>

#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recipients.h"
#include "host/ui/Renderer.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

constexpr const char* kSource = "Application";

}  // namespace

Application::Application(Profile profile, EventLoop* loop)
    : profile_(std::move(profile)), loop_(loop) {
  if (!loop_) return;
  loop_->SetTaskWrapper([this](const EventLoop::Task& task) { RunInBatch(task); },
                        [this] { batch_.reset(); });
  Renderer::SetBeforeWaitHook([] { WriteBatch::CommitEarly(); });
}

void Application::RunInBatch(const EventLoop::Task& task) {
  if (session_ && !batch_) {
    batch_.emplace(session_.get());
    batch_begun_ = std::chrono::steady_clock::now();
    batch_tasks_ = 0;
  }
  struct EndWhenDue {
    Application& app;
    ~EndWhenDue() {
      if (!app.batch_) return;
      if (++app.batch_tasks_ >= 64 ||
          std::chrono::steady_clock::now() - app.batch_begun_ >
              std::chrono::milliseconds(50)) {
        app.batch_.reset();
      }
    }
  } end_when_due{*this};
  task();
}

Application::~Application() {
  if (loop_) {
    batch_.reset();
    loop_->SetTaskWrapper({}, {});
    Renderer::SetBeforeWaitHook({});
  }
  // Windows first: they hold items that keep the stores open.
  inspectors_.CloseAll();
  explorers_.CloseAll();
}

int Application::MajorVersion() const {
  int major = 0;
  for (char c : Version()) {
    if (c == '.') break;
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    major = major * 10 + (c - '0');
    if (major > 99999) return 0;
  }
  return major;
}

std::shared_ptr<NameSpace> Application::GetNamespace(std::string_view type) {
  if (!TextEquals(type, "MAPI")) {
    throw Error(err::kInvalidProcedureCall,
                "Unknown namespace type \"" + std::string(type) + "\"; only MAPI exists",
                kSource);
  }
  if (!session_) {
    session_ = OpenSession(profile_, loop_);
    logon_complete_.Fire();
  }
  return session_;
}

std::shared_ptr<Item> Application::CreateItem(ItemType type) {
  DefaultFolder where;
  switch (type) {
    case ItemType::Mail:
    case ItemType::Post:
      where = DefaultFolder::Drafts;
      break;
    case ItemType::Appointment:
      where = DefaultFolder::Calendar;
      break;
    case ItemType::Contact:
      where = DefaultFolder::Contacts;
      break;
    case ItemType::Task:
      where = DefaultFolder::Tasks;
      break;
    default:
      throw Error(err::kInvalidProcedureCall,
                  "CreateItem: item type " + std::to_string(static_cast<int>(type)) +
                      " cannot be created",
                  kSource);
  }
  auto folder = GetNamespace("MAPI")->GetDefaultFolder(where);
  return folder->Items()->Add(DefaultMessageClass(type));
}

std::shared_ptr<Inspector> Application::DisplayItem(const std::shared_ptr<Item>& item) {
  auto inspector = inspectors_.Add(item);
  inspector->Display();
  return inspector;
}

std::shared_ptr<Item> Application::SendItem(const std::shared_ptr<Item>& item) {
  if (!item) throw Error(err::kObjectRequired, "Object required: an item", kSource);
  if (item->Recipients().Count() == 0) {
    throw Error(err::kCallFailed, "The item has no recipients to send it to", kSource);
  }
  item->Send();
  return item;
}

void Application::Quit() {
  if (quit_) return;
  quit_ = true;
  quit_event_.Fire();
  inspectors_.CloseAll();
  explorers_.CloseAll();
  if (on_quit_) on_quit_();
}

}  // namespace zanvoro::host
