// The ribbon's backstage view (the client's File view) as the client shows
// it: the add-in hands over a custom UI document (GetCustomUI), the client
// parses it, keeps a ribbon object the add-in may invalidate, asks the
// add-in's callbacks by name whether a tab is visible (getVisible) and runs
// a task's onAction callback when the user picks it. Nothing about the
// add-in's commands is known here: every tab, group, category and task
// comes from the document.
//
// The console shows the backstage as a numbered menu (RunBackstageMenu).
// UI thread only.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zanvoro::host {

// The control a callback is called for: a task or a tab, by its id.
struct RibbonControl {
  std::string Id;
};

// The ribbon object the onLoad callback receives. Invalidate asks the
// client to call the getVisible callbacks again before it next shows the
// backstage.
class RibbonUI {
 public:
  void Invalidate() { ++invalidations_; }
  int Invalidations() const { return invalidations_; }

 private:
  int invalidations_ = 0;
};

// What an add-in with a custom UI implements: the document, and its
// callbacks called by the names the document gives them.
class RibbonExtensibility {
 public:
  virtual ~RibbonExtensibility() = default;
  // The custom UI document for the ribbon `ribbon_id`; "" for none.
  virtual std::string GetCustomUI(std::string_view ribbon_id) = 0;
  virtual void RibbonLoaded(std::string_view callback,
                            const std::shared_ptr<RibbonUI>& ribbon) = 0;
  virtual bool RibbonGetBool(std::string_view callback, const RibbonControl& control) = 0;
  virtual void RibbonAction(std::string_view callback, const RibbonControl& control) = 0;
};

// The ribbon id of the explorer windows.
inline constexpr std::string_view kExplorerRibbonId = "Microsoft.Outlook.Explorer";

struct BackstageTask {
  std::string id;
  std::string label;
  std::string image;      // imageMso; "" for none
  std::string on_action;  // the callback's name
};
struct BackstageCategory {
  std::string id;
  std::string label;
  std::vector<BackstageTask> tasks;
};
struct BackstageGroup {
  std::string id;
  std::string label;
  std::string helper_text;
  std::vector<BackstageCategory> categories;
};
struct BackstageTab {
  std::string id;
  std::string label;
  std::string get_visible;             // the callback's name; "" means always visible
  std::vector<BackstageGroup> groups;  // first column, then second column
};
struct CustomUIDocument {
  std::string on_load;  // the callback's name; "" for none
  std::vector<BackstageTab> tabs;
};

// Reads a custom UI document. Text that is not well-formed XML, or whose
// top element is not "customUI", raises Error(err::kInvalidProcedureCall)
// with the parser's reason.
CustomUIDocument ParseCustomUI(std::string_view xml);

// One explorer ribbon's backstage.
class Backstage {
 public:
  // Asks `addin` for the explorer ribbon's document, parses it and calls
  // its onLoad callback with the ribbon. REQUIRES: `addin` outlives this.
  // Raises what ParseCustomUI raises.
  explicit Backstage(RibbonExtensibility& addin);

  const CustomUIDocument& Document() const { return document_; }
  const std::shared_ptr<RibbonUI>& Ribbon() const { return ribbon_; }
  // The tabs whose getVisible callback says yes now.
  std::vector<const BackstageTab*> VisibleTabs() const;
  // Runs the onAction callback of the task `id` of a visible tab; false
  // when no visible tab has such a task.
  bool RunTask(std::string_view id);

 private:
  RibbonExtensibility& addin_;
  CustomUIDocument document_;
  std::shared_ptr<RibbonUI> ribbon_;
};

// The backstage on a console: prints each visible tab's groups, categories
// and numbered tasks, reads a choice (the number or the task's id) and runs
// it, and again, until an empty line, "q", the end of the input, or no tab
// is visible any more. An unknown choice says so and asks again.
void RunBackstageMenu(Backstage& backstage, std::istream& in, std::ostream& out);

}  // namespace zanvoro::host
