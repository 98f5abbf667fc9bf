#include "host/ui/Backstage.h"

#include <cctype>
#include <istream>
#include <ostream>

#include "host/xml/XmlDocument.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

std::string Attribute(const XmlNode& node, std::string_view name) {
  return node.GetAttribute(name).value_or("");
}

// The element children of `node` named `name`, in order.
std::vector<XmlNode> Children(const XmlNode& node, std::string_view name) {
  std::vector<XmlNode> found;
  for (const XmlNode& child : node.ChildNodes()) {
    if (child.NodeType() == XmlNodeType::Element && child.NodeName() == name)
      found.push_back(child);
  }
  return found;
}

BackstageGroup ReadGroup(const XmlNode& node) {
  BackstageGroup group{
      Attribute(node, "id"), Attribute(node, "label"), Attribute(node, "helperText"), {}};
  for (const XmlNode& category_node : Children(node, "category")) {
    BackstageCategory category{
        Attribute(category_node, "id"), Attribute(category_node, "label"), {}};
    for (const XmlNode& task : Children(category_node, "task")) {
      category.tasks.push_back({Attribute(task, "id"), Attribute(task, "label"),
                                Attribute(task, "imageMso"),
                                Attribute(task, "onAction")});
    }
    group.categories.push_back(std::move(category));
  }
  return group;
}

// Add-ins write some attributes without the blank before them
// (label="x"isDefinitive="false"); the client reads them as if it were
// there.
std::string SeparateAttributes(std::string_view xml) {
  std::string text;
  text.reserve(xml.size() + 16);
  bool in_tag = false;
  char quote = 0;
  for (size_t i = 0; i < xml.size(); ++i) {
    char ch = xml[i];
    text += ch;
    if (quote) {
      if (ch != quote) continue;
      quote = 0;
      char next = i + 1 < xml.size() ? xml[i + 1] : ' ';
      if (std::isalpha(static_cast<unsigned char>(next)) || next == '_') text += ' ';
    } else if (in_tag && (ch == '"' || ch == '\'')) {
      quote = ch;
    } else if (ch == '<') {
      in_tag = true;
    } else if (ch == '>') {
      in_tag = false;
    }
  }
  return text;
}

}  // namespace

CustomUIDocument ParseCustomUI(std::string_view xml) {
  XmlDocument document;
  if (!document.LoadXML(SeparateAttributes(xml))) {
    throw Error(
        err::kInvalidProcedureCall,
        "the custom UI document is not well-formed: " + document.ParseError().reason,
        "Backstage");
  }
  XmlNode root = document.DocumentElement();
  if (root.NodeName() != "customUI") {
    throw Error(err::kInvalidProcedureCall,
                "the custom UI document's top element is " + root.NodeName(),
                "Backstage");
  }
  CustomUIDocument parsed;
  parsed.on_load = Attribute(root, "onLoad");
  for (const XmlNode& backstage : Children(root, "backstage")) {
    for (const XmlNode& tab_node : Children(backstage, "tab")) {
      BackstageTab tab{Attribute(tab_node, "id"),
                       Attribute(tab_node, "label"),
                       Attribute(tab_node, "getVisible"),
                       {}};
      for (const char* column : {"firstColumn", "secondColumn"}) {
        for (const XmlNode& column_node : Children(tab_node, column)) {
          for (const XmlNode& group : Children(column_node, "taskGroup"))
            tab.groups.push_back(ReadGroup(group));
        }
      }
      parsed.tabs.push_back(std::move(tab));
    }
  }
  return parsed;
}

Backstage::Backstage(RibbonExtensibility& addin)
    : addin_(addin),
      document_(ParseCustomUI(addin.GetCustomUI(kExplorerRibbonId))),
      ribbon_(std::make_shared<RibbonUI>()) {
  if (!document_.on_load.empty()) addin_.RibbonLoaded(document_.on_load, ribbon_);
}

std::vector<const BackstageTab*> Backstage::VisibleTabs() const {
  std::vector<const BackstageTab*> tabs;
  for (const BackstageTab& tab : document_.tabs) {
    if (tab.get_visible.empty() || addin_.RibbonGetBool(tab.get_visible, {tab.id}))
      tabs.push_back(&tab);
  }
  return tabs;
}

bool Backstage::RunTask(std::string_view id) {
  for (const BackstageTab* tab : VisibleTabs()) {
    for (const BackstageGroup& group : tab->groups) {
      for (const BackstageCategory& category : group.categories) {
        for (const BackstageTask& task : category.tasks) {
          if (task.id != id) continue;
          if (!task.on_action.empty()) addin_.RibbonAction(task.on_action, {task.id});
          return true;
        }
      }
    }
  }
  return false;
}

void RunBackstageMenu(Backstage& backstage, std::istream& in, std::ostream& out) {
  for (;;) {
    std::vector<const BackstageTask*> numbered;
    std::vector<const BackstageTab*> tabs = backstage.VisibleTabs();
    if (tabs.empty()) {
      out << "(the backstage has nothing to show)" << std::endl;
      return;
    }
    for (const BackstageTab* tab : tabs) {
      out << "== " << tab->label << " ==\n";
      for (const BackstageGroup& group : tab->groups) {
        out << group.label << "\n";
        if (!group.helper_text.empty()) out << "  " << group.helper_text << "\n";
        for (const BackstageCategory& category : group.categories) {
          if (!category.label.empty()) out << "  -- " << category.label << " --\n";
          for (const BackstageTask& task : category.tasks) {
            numbered.push_back(&task);
            out << "  " << numbered.size() << ". " << task.label << " (" << task.id
                << ")\n";
          }
        }
      }
    }
    out << "Choice (number or id; empty line or q to leave): " << std::flush;
    std::string line;
    if (!std::getline(in, line)) return;
    std::string choice = Trim(line);
    if (choice.empty() || choice == "q") return;
    std::string id = choice;
    if (choice.size() < 6 &&
        choice.find_first_not_of("0123456789") == std::string::npos) {
      size_t number = static_cast<size_t>(std::stoul(choice));
      if (number >= 1 && number <= numbered.size()) id = numbered[number - 1]->id;
    }
    if (!backstage.RunTask(id)) out << "No task \"" << choice << "\"." << std::endl;
  }
}

}  // namespace zanvoro::host
