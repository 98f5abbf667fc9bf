#include "settings/frmTemplates.h"

#include "errors/Trap.h"
#include "host/ui/CheckBox.h"
#include "host/ui/CommandButton.h"
#include "host/ui/ListBox.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "settings/DefaultTemplates.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

frmTemplates::frmTemplates(cGlobalSettings& settings)
    : Form("frmTemplates", CONST_TEMPLATES_MANAGER),
      settings_(settings),
      templates_(settings.MessageTemplates) {
  auto& list = Add<host::ListBox>("lstTemplates");
  list.SetColumnCount(2);
  list.OnClick([this] {
    std::string key = PickedKey();
    if (key.empty()) return;
    auto& text = Get<host::TextBox>("txtTemplate");
    text.SetText(templates_.GetValue(key));
    Get<host::CheckBox>("chkEnabled")
        .SetValue(templates_.IsChecked(key) ? host::CheckState::Checked
                                            : host::CheckState::Unchecked);
  });
  Add<host::TextBox>("txtTemplate").SetMultiLine(true);
  Add<host::CheckBox>("chkEnabled").SetCaption("Send this notification");
  auto& apply = Add<host::CommandButton>("cmdApply");
  apply.SetCaption("Apply");
  apply.OnClick([this] {
    Trap("Templates.cmdApply", [&] {
      std::string key = PickedKey();
      if (key.empty()) {
        host::MsgBox("Select a template first.");
        return;
      }
      templates_.SetValue(key, Get<host::TextBox>("txtTemplate").Text());
      templates_.SetNotificaionEnabledValue(key,
                                            Get<host::CheckBox>("chkEnabled").Checked());
      int picked = Get<host::ListBox>("lstTemplates").ListIndex();
      FillList();
      Get<host::ListBox>("lstTemplates").SetListIndex(picked);
    });
  });
  auto& restore = Add<host::CommandButton>("cmdDefault");
  restore.SetCaption("Restore Default");
  restore.OnClick([this] {
    Trap("Templates.cmdDefault", [&] {
      std::string key = PickedKey();
      if (key.empty()) return;
      cMessageTemplates defaults;
      defaults.SetValue(key, "");
      defaults.ApplyDefaults(TemplateLanguageFor(settings_.LanguageIndex()));
      Get<host::TextBox>("txtTemplate").SetText(defaults.GetValue(key));
    });
  });
  auto& save = Add<host::CommandButton>("cmdSave");
  save.SetCaption("Save");
  save.OnClick([this] {
    Trap("Templates.cmdSave", [&] {
      cMessageTemplates before = settings_.MessageTemplates;
      settings_.MessageTemplates = templates_;
      if (settings_.SaveList(SettingsList::NotificationTemplates)) {
        Unload();
      } else {
        settings_.MessageTemplates = std::move(before);
      }
    });
  });
  auto& close = Add<host::CommandButton>("cmdClose");
  close.SetCaption("Close");
  close.OnClick([this] { Unload(); });
  FillList();
}

void frmTemplates::FillList() {
  auto& list = Get<host::ListBox>("lstTemplates");
  list.Clear();
  for (const auto& entry : templates_) {
    list.AddItem(entry.Value().NotificationName);
    list.SetCell(list.ListCount() - 1, 1, entry.Value().Enabled ? "on" : "off");
  }
}

std::string frmTemplates::PickedKey() const {
  const auto& list = Get<host::ListBox>("lstTemplates");
  return list.ListIndex() >= 0 ? list.List(list.ListIndex()) : std::string();
}

}  // namespace zanvoro
