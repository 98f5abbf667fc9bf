#include "case/frmLoadDemo.h"

#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/ui/CheckBox.h"
#include "host/ui/CommandButton.h"
#include "host/ui/Label.h"
#include "host/ui/MsgBox.h"
#include "host/ui/TextBox.h"
#include "runtime/Date.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"
#include "settings/cGlobalSettings.h"
#include "text/Phrases.h"

namespace zanvoro {

namespace {

constexpr int kMostCases = 500;

}  // namespace

frmLoadDemo::frmLoadDemo(cGlobalSettings& settings)
    : Form("frmLoadDemo", CONST_DEMO_CASES), settings_(settings) {
  Add<host::Label>("lblCount").SetCaption("Number of demo cases to make:");
  Add<host::TextBox>("txtCount").SetText("10");
  Add<host::CheckBox>("chkResolved").SetCaption("Make every other case resolved");
  auto& load = Add<host::CommandButton>("cmdLoad");
  load.SetCaption("Load");
  load.OnClick([this] { Trap("LoadDemo.cmdLoad", [&] { LoadCases(); }); });
  Add<host::Label>("lblDone");
  auto& close = Add<host::CommandButton>("cmdClose");
  close.SetCaption("Close");
  close.OnClick([this] { Unload(); });
}

void frmLoadDemo::LoadCases() {
  std::string typed = Trim(Get<host::TextBox>("txtCount").Text());
  int count = IsNumeric(typed) ? static_cast<int>(CLng(Variant(typed))) : 0;
  if (count < 1 || count > kMostCases) {
    host::MsgBox("Type a number of cases from 1 to " + std::to_string(kMostCases) + ".",
                 host::MsgBoxButtons::OK, host::MsgBoxIcon::Exclamation);
    return;
  }
  bool some_resolved =
      Get<host::CheckBox>("chkResolved").Value() == host::CheckState::Checked;
  int made = 0;
  for (int i = 1; i <= count; ++i) {
    cCase demo;
    demo.IsDemo = true;
    if (const cCaller* caller = settings_.Callers.RandomCaller()) demo.Caller = *caller;
    if (const cTechnician* technician = settings_.Technicians.RandomResponsible())
      demo.Technicians.Add(*technician);
    if (const cProblemType* type = settings_.ProblemTypes.RandomProblemType()) {
      demo.ProblemTypeRecord = *type;
      demo.ProblemType = type->ProblemType;
      demo.ProblemCategory = type->ProblemCategory;
    }
    demo.Origin = settings_.OriginsList.RandomItem();
    demo.Status = settings_.StatusList.RandomItem();
    demo.Subject = "Demo case " + std::to_string(i) +
                   (demo.ProblemType.empty() ? "" : ": " + demo.ProblemType);
    demo.Body = "This case was made by the demo case loader.";
    demo.DateCreated = Now();
    CaseState state = some_resolved && i % 2 == 0 ? CaseState::Closed : CaseState::Open;
    demo.Closed = state == CaseState::Closed;
    if (!demo.SetCaseToOutlookItem(RandomUnread::Yes, DisplayCase::No, nullptr, state))
      break;
    ++made;
  }
  made_ += made;
  Get<host::Label>("lblDone").SetCaption(std::to_string(made) + " demo cases made");
  Refresh();
}

}  // namespace zanvoro
