#include "case/cCase.h"

#include <cmath>
#include <random>
#include <utility>

#include "case/CaseID.h"
#include "case/CaseNumbering.h"
#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "connection/RunningAddin.h"
#include "errors/AdviceTexts.h"
#include "errors/Trap.h"
#include "host/client/Application.h"
#include "host/client/Inspector.h"
#include "host/html/HtmlSanitizer.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"
#include "host/ui/MsgBox.h"
#include "runtime/Text.h"
#include "settings/ListText.h"
#include "settings/SettingsSteps.h"
#include "settings/cGlobalSettings.h"

namespace zanvoro {

namespace {

constexpr const char* kOpenFolderMarker = "<VNH_OPENFOLDER>";
constexpr const char* kResolvedFolderMarker = "<VNH_RESOLVEDFOLDER>";
// Appended to the notes of a case made by the demo-data loader.
constexpr const char* kDemoNotes =
    "\r\nSample notes: this case was made as demo data and may be deleted.";

// A fraction in [0, 1) from a generator seeded once from the system.
double RandomFraction() {
  static std::mt19937_64 generator{std::random_device{}()};
  return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

std::shared_ptr<host::Application> HostApplication() {
  RunningAddin* addin = ConnectedAddin();
  return addin ? addin->HostApplication() : nullptr;
}

std::string CustomFieldName(int number) {
  return caseprop::kCustomFieldPrefix + std::to_string(number);
}

// The folder an item is in, as the advice texts name it.
std::string FolderMarkerOf(host::Item& item) {
  auto resolved = GetResolvedFolder();
  if (!resolved) return kOpenFolderMarker;
  try {
    auto parent = item.Parent();
    if (parent && parent->EntryID() == resolved->EntryID()) return kResolvedFolderMarker;
  } catch (const Error&) {
    // An item whose folder cannot be read is taken as an open case.
  }
  return kOpenFolderMarker;
}

void ShowAdvice(std::string message, const Error& error, std::string_view location) {
  ShowFriendlyError(message, error.Description(), error.Number(),
                    static_cast<int16_t>(error.Line()), location);
}

void ShowConflict(const Error& error) {
  host::MsgBox(error.Description() +
                   "\r\nA conflict has evolved!\r\nAnother user appears to have saved "
                   "this item at the same time!",
               host::vbCritical, kApplicationTitle);
}

// Closes, without saving, the inspector in front when it shows `item`.
void CloseActiveInspectorOn(const host::Item& item) {
  auto application = HostApplication();
  if (!application || item.EntryID().empty()) return;
  auto inspector = application->ActiveInspector();
  if (!inspector) return;
  auto shown = inspector->CurrentItem();
  if (shown && shown->EntryID() == item.EntryID())
    inspector->Close(host::SaveMode::Discard);
}

// The save of an item being read failed. Returns whether the read stops.
bool HandleReadSaveFailure(const Error& error, host::Item& item) {
  constexpr const char* kLocation = "Case.GetCaseFromOutlookItem";
  switch (error.Number()) {
    case 0:
    case err::kNotEnoughMemory:
      return false;
    case err::kNotFound:
      ShowAdvice(PublicFolderSettingAdvice(FolderMarkerOf(item)), error, kLocation);
      return true;
    case err::kObjectChanged:
      ShowAdvice(
          "This case item has been modified by another user since it was opened, and "
          "hence, the changes cannot be saved!",
          error, kLocation);
      CloseActiveInspectorOn(item);
      return true;
    default:
      ShowAdvice(CasePermissionAdvice(FolderMarkerOf(item)), error, kLocation);
      return true;
  }
}

// The legacy single-asset properties as one asset of the case text form,
// for items written before "Case.Assets" existed; "" when they hold no
// asset, or several (a joined name list cannot be split back reliably).
std::string LegacyAssetText(host::Item& item) {
  std::string name = ReadItemText(item, caseprop::kAssetName);
  if (name.empty() || name.find(',') != std::string::npos) return {};
  std::vector<std::string> fields;
  for (const char* property :
       {caseprop::kAssetName, caseprop::kAssetField2, caseprop::kAssetField3,
        caseprop::kAssetField4, caseprop::kAssetField5, caseprop::kAssetComment}) {
    fields.push_back(EncodeListField(ReadItemText(item, property)));
  }
  return Join(fields, kListFieldSeparator);
}

// The cost of the work: hours rounded to two decimals times the technicians'
// rate as a whole number.
Currency TimeSpentCostOf(int32_t minutes, const cTechnicians& technicians) {
  double hours = RoundHalfEven(minutes / 60.0 * 100.0) / 100.0;
  int32_t rate = CLng(Variant(technicians.Rates()));
  return CCur(Variant(hours * rate));
}

// The HTML body of a case written without one: the helpdesk's new-case page
// around the plain body.
std::string NewCaseHTML(std::string_view body) {
  const cGlobalSettings* settings = SharedGlobalSettings();
  if (!settings) throw Error(err::kObjectRequired, "The global settings are not loaded.");
  return settings->NewTicketHTML(body);
}

// Writes the case's properties in order, stopping at the first that cannot
// be written (the item is in conflict; the user has been told).
class PropertyWriter {
 public:
  explicit PropertyWriter(host::Item& item) : item_(item) {}

  bool Ok() const { return ok_; }
  void Text(std::string_view name, std::string_view value) {
    if (ok_) ok_ = WriteItemProperty(item_, name, Variant(value), VarType::String);
  }
  void Number(std::string_view name, int64_t value) {
    if (ok_) ok_ = WriteItemProperty(item_, name, Variant(value), VarType::Long);
  }
  void Dated(Date date, std::string_view name, std::string_view long_name,
             std::string_view sortable_name) {
    if (ok_) ok_ = WriteCaseDate(item_, date, name, long_name, sortable_name);
  }

 private:
  host::Item& item_;
  bool ok_ = true;
};

}  // namespace

cCase::cCase() = default;
cCase::~cCase() = default;
cCase::cCase(cCase&&) noexcept = default;
cCase& cCase::operator=(cCase&&) noexcept = default;

std::string* cCase::CustomField(int number) {
  return const_cast<std::string*>(std::as_const(*this).CustomField(number));
}

const std::string* cCase::CustomField(int number) const {
  switch (number) {
    case 1:
      return &CustomField1;
    case 2:
      return &CustomField2;
    case 3:
      return &CustomField3;
    case 4:
      return &CustomField4;
    case 5:
      return &CustomField5;
    case 6:
      return &CustomField6;
    case 7:
      return &CustomField7;
    case 8:
      return &CustomField8;
    case 9:
      return &CustomField9;
    case 10:
      return &CustomField10;
    default:
      return nullptr;
  }
}

bool cCase::GetCaseFromOutlookItem(const std::shared_ptr<host::Item>& item,
                                   SaveUnsaved save) {
  return Trap("Case.GetCase", false, [&] {
    if (!item) return false;
    if (!EnsureMapiUtils()) return false;
    host::Item& source = *item;
    try {
      Subject = source.Subject();
      Importance = source.Importance();

      if (save == SaveUnsaved::Yes && !source.Saved()) {
        try {
          source.SetMessageClass(GetProperMessageClass(source));
          source.Save();
        } catch (const Error& error) {
          if (HandleReadSaveFailure(error, source)) return false;
        }
      }

      Body = source.Body();
      HTMLBody = source.HTMLBody();

      const cGlobalSettings* settings = SharedGlobalSettings();
      Closed = ReadItemBoolean(source, caseprop::kClosed);
      DateClosed = ReadItemDate(source, caseprop::kDateClosed);
      CaseNumber = Trim(ReadItemText(source, caseprop::kCaseNumber));
      LastModificationTime = source.LastModificationTime();
      std::string technicians = ReadItemText(source, caseprop::kTechnicians);
      if (!technicians.empty()) {
        // The helpdesk's entries give the technicians their addresses,
        // numbers and rates; a name it does not know stays a bare name.
        if (settings) {
          Technicians.FromNames(technicians, settings->Technicians);
        } else {
          Technicians.LoadTechniciansToDicList(technicians);
        }
      }
      EntryID = source.EntryID();
      Works.emplace();
      Works->FromXML(ReadItemText(source, caseprop::kTimeSpentDescription));
      TimeSpent = std::to_string(Works->TotalTimeSpent());
      TimeSpentCost = TimeSpentCostOf(Works->TotalTimeSpent(), Technicians);
      Notes = ReadItemText(source, caseprop::kNotes);
      Log.emplace();
      Log->FromXML(ReadItemText(source, caseprop::kLog));
      EmailHistory.emplace();
      for (int n = 1; n <= 10; ++n)
        *CustomField(n) = ReadItemText(source, CustomFieldName(n));
      ServiceLevel = ReadItemText(source, caseprop::kServiceLevel);
      RecipientEmailAddress = ReadItemText(source, caseprop::kRecipientEmailAddress);
      if (RecipientEmailAddress.empty()) {
        Variant stored = ReadItemPropertyMapi(source, caseprop::kRecipientEmailAddress,
                                              VarType::String);
        if (stored.IsText()) RecipientEmailAddress = stored.Text();
      }
      ProblemField = ReadItemText(source, caseprop::kProblemField);
      ProblemCategory = ReadItemText(source, caseprop::kProblemCategory);
      ProblemType = ReadItemText(source, caseprop::kProblemType);
      const cProblemType* known = nullptr;
      if (!ProblemType.empty() && settings) {
        known = settings->ProblemTypes.Find(ProblemType + ProblemCategory);
      }
      ProblemTypeRecord = known ? *known : cProblemType{};
      DueDate = ReadItemDate(source, caseprop::kDueDate);
      Status = ReadItemText(source, caseprop::kStatus);
      DateCreated = ReadItemDate(source, caseprop::kDateCreated);
      ReceivedDate = ReadItemDate(source, caseprop::kReceivedDate);
      Author = ReadItemText(source, caseprop::kAuthor);
      Origin = ReadItemText(source, caseprop::kOrigin);
      cCaller caller;
      caller.Name = ReadItemText(source, caseprop::kCallerName);
      caller.Email = ReadItemText(source, caseprop::kCallerEmail);
      caller.Address = ReadItemText(source, caseprop::kCallerAddress);
      caller.Phone = ReadItemText(source, caseprop::kCallerPhone);
      caller.Mobile = ReadItemText(source, caseprop::kCallerMobile);
      caller.Department = ReadItemText(source, caseprop::kCallerDepartment);
      caller.Company = ReadItemText(source, caseprop::kCallerCompany);
      Caller = std::move(caller);
      std::string assets = ReadItemText(source, caseprop::kAssets);
      if (assets.empty()) assets = LegacyAssetText(source);
      Assets.emplace();
      Assets->FromStringCase(assets);
      AssociatedUsers.emplace();
      AssociatedUsers->FromString(ReadItemText(source, caseprop::kAssociatedUsers));
    } catch (const Error& error) {
      if (error.Number() == err::kObjectChanged) {
        ShowConflict(error);
        return false;
      }
      if (error.Number() == err::kObjectDeleted) {
        host::MsgBox(
            error.Description() + "\r\n\r\nThe item appears to have been removed!",
            host::vbCritical, kApplicationTitle);
        return false;
      }
      throw;
    }

    PrefixCode = CasePrefixCode();
    CaseID = PrefixCode + CaseNumber;
    CaseLink = "<a href=\"outlook:" + HtmlEscape(EntryID) + "\"><b>Support Case #" +
               HtmlEscape(CaseID) + "</b></a>";
    return true;
  });
}

bool cCase::SetCaseToOutlookItem(RandomUnread random_unread, DisplayCase display,
                                 const std::shared_ptr<host::Item>& item,
                                 CaseState state) {
  return Trap("Case.SetCase", false, [&] {
    std::shared_ptr<host::Item> target = item;
    const bool is_new = !target;
    if (is_new) {
      const bool open = state == CaseState::Open;
      auto folder = open ? GetOngoingFolder() : GetResolvedFolder();
      if (!folder) {
        host::MsgBox(open ? "Cannot find Ongoing cases folder!"
                          : "Cannot find Resolved cases folder!",
                     host::vbCritical, kApplicationTitle);
        return false;
      }
      try {
        target = folder->Items()->Add(open ? kCaseMessageClass : kClosedCaseMessageClass);
      } catch (const Error& error) {
        constexpr const char* kLocation = "Case.SetCaseToOutlookItem";
        SetCurrentProcedure(kLocation);
        std::string message =
            CasePermissionAdvice(open ? kOpenFolderMarker : kResolvedFolderMarker);
        ShowErrorKBDialog(kFormCacheArticle, message, error.Description(), error.Number(),
                          static_cast<int16_t>(error.Line()), kLocation);
        return false;
      }
      if (open) {
        if (!WriteItemProperty(*target, caseprop::kClosed, Variant("0"), VarType::String))
          return false;
      } else {
        // A case made closed was closed a few days after it was opened.
        DateClosed = Date(DateCreated.Serial() + RoundHalfEven(RandomFraction() * 4.0));
        Closed = true;
        if (!WriteCaseDate(*target, DateClosed, caseprop::kDateClosed,
                           caseprop::kDateClosedLong, caseprop::kDateClosedS) ||
            !WriteItemProperty(*target, caseprop::kClosed, Variant("1"),
                               VarType::String)) {
          return false;
        }
      }
    }
    host::Item& out = *target;

    PropertyWriter write(out);
    write.Dated(DueDate, caseprop::kDueDate, caseprop::kDueDateLong, caseprop::kDueDateS);
    write.Text(caseprop::kStatus, Status);
    if (ProblemTypeRecord) {
      // A type the helpdesk's list does not know reads as an empty record;
      // the case's own names are kept then, so a save never blanks them.
      const cProblemType& record = *ProblemTypeRecord;
      write.Text(caseprop::kProblemType,
                 record.ProblemType.empty() ? ProblemType : record.ProblemType);
      write.Text(caseprop::kProblemCategory, record.ProblemCategory.empty()
                                                 ? ProblemCategory
                                                 : record.ProblemCategory);
      write.Text(caseprop::kProblemField,
                 ProblemField.empty() ? record.DefaultField : ProblemField);
    }
    if (CaseNumber.empty()) CaseNumber = std::to_string(GetNewCaseID());
    write.Text(caseprop::kCaseNumber, CaseNumber);
    std::string sortable_number;
    if (IsNumeric(CaseNumber))
      sortable_number = std::to_string(CLngLng(CaseNumber) + 100000000);
    write.Text(caseprop::kCaseNumberS, sortable_number);
    // The search text below starts with the case ID.
    if (CaseID.empty()) CaseID = CaseNumber;
    write.Dated(DateCreated, caseprop::kDateCreated, caseprop::kDateCreatedLong,
                caseprop::kDateCreatedS);
    write.Dated(ReceivedDate, caseprop::kReceivedDate, "", caseprop::kReceivedDateS);
    write.Text(caseprop::kOrigin, Origin);
    write.Text(caseprop::kServiceLevel, ServiceLevel);
    // Set when the case came from a mail; kept through later saves.
    if (!RecipientEmailAddress.empty())
      write.Text(caseprop::kRecipientEmailAddress, RecipientEmailAddress);
    if (!Technicians.IsEmpty()) {
      write.Text(caseprop::kAuthor, Technicians.CreatedBy());
      write.Text(caseprop::kTechnicians, Technicians.FullNames());
    }
    if (Caller) {
      write.Text(caseprop::kCallerName, Caller->Name);
      write.Text(caseprop::kCallerEmail, Caller->Email);
      write.Text(caseprop::kCallerCompany, Caller->Company);
      write.Text(caseprop::kCallerAddress, Caller->Address);
      write.Text(caseprop::kCallerPhone, Caller->Phone);
      write.Text(caseprop::kCallerDepartment, Caller->Department);
      write.Text(caseprop::kCallerMobile, Caller->Mobile);
    }
    if (AssociatedUsers)
      write.Text(caseprop::kAssociatedUsers, AssociatedUsers->ToString());
    if (Assets) {
      write.Text(caseprop::kAssets, Assets->ToStringCase());
      write.Text(caseprop::kAssetName, Assets->Names());
      write.Text(caseprop::kAssetField2, Assets->AssetField2s());
      write.Text(caseprop::kAssetField3, Assets->AssetField3s());
      write.Text(caseprop::kAssetField4, Assets->AssetField4s());
      write.Text(caseprop::kAssetField5, Assets->AssetField5s());
      write.Text(caseprop::kAssetComment, Assets->AssetComments());
    }
    for (int n = 1; n <= 10; ++n) write.Text(CustomFieldName(n), *CustomField(n));
    if (Works) {
      write.Number(caseprop::kTimeSpent, Works->TotalTimeSpent());
      write.Text(caseprop::kTimeSpentDescription, Works->SaveValueToXML());
    }
    if (Log) write.Text(caseprop::kLog, Log->SaveValueToXML());
    if (IsDemo) Notes += kDemoNotes;
    write.Text(caseprop::kNotes, Notes);
    write.Text(caseprop::kBody, SearchText());
    if (!write.Ok()) return false;

    out.SetSubject(is_new ? "[" + CaseID + "] " + Trim(Subject) : Subject);
    out.SetImportance(Importance);

    auto application = HostApplication();
    const bool set_format = application && application->MajorVersion() > 9;
    std::string html = HTMLBody.empty() ? NewCaseHTML(Body) : HTMLBody;
    out.SetHTMLBody(html);
    if (set_format) {
      out.SetBodyFormat(static_cast<int32_t>(host::BodyFormat::RichText));
      out.SetBodyFormat(static_cast<int32_t>(host::BodyFormat::HTML));
    }
    out.SetHTMLBody(HTMLBody.empty() ? html : ReplaceMailBodyWithValues(HTMLBody));

    if (!is_new) {
      out.SetUnRead(true);
    } else if (random_unread == RandomUnread::Yes) {
      out.SetUnRead(RoundHalfEven(RandomFraction() * 100.0) >= 51);
    }

    out.SetMessageClass(GetProperMessageClass(out));
    try {
      if (display == DisplayCase::Yes) {
        out.Save();
      } else {
        out.Close(host::SaveMode::Save);
      }
    } catch (const Error& error) {
      if (error.Number() == err::kAccessDenied) {
        ShowAdvice(CasePermissionAdvice(kOpenFolderMarker), error,
                   "cCase.SetCaseToOutlookItem");
        return false;
      }
      if (error.Number() == err::kObjectChanged) {
        ShowConflict(error);
        return false;
      }
      throw;
    }
    EntryID = out.EntryID();
    if (display == DisplayCase::Yes && application) application->DisplayItem(target);
    return true;
  });
}

std::shared_ptr<host::Item> cCase::GetCaseFromRedemptionRecordset(host::Recordset& rows,
                                                                  CaseState state) {
  return Trap("Case.GetCaseFromRedemptionRecordset", std::shared_ptr<host::Item>(), [&] {
    auto folder = state == CaseState::Closed ? GetResolvedFolder() : GetOngoingFolder();
    std::string entry_id = CStr(rows.Fields("EntryID").Value);
    auto session = HelpdeskSession();
    if (entry_id.empty() || !folder || !session) return std::shared_ptr<host::Item>();
    std::shared_ptr<host::Item> item;
    try {
      item = session->GetItemFromID(entry_id, folder->StoreID());
    } catch (const Error& error) {
      if (error.Number() != err::kNotFound) throw;
      return std::shared_ptr<host::Item>();
    }
    GetCaseFromOutlookItem(item, SaveUnsaved::Yes);
    return item;
  });
}

void cCase::subAssignEmailRepliesFromCaller(host::Item& reply) {
  Trap("Case.subAssignEmailRepliesFromCaller", [&] {
    if (!EnsureMapiUtils()) return;
    // The reply goes into HTML notifications: its own HTML made safe, or its
    // text escaped.
    std::string html = reply.HTMLBody();
    RepliedEmailBody = IsBlank(html) ? HtmlEscape(reply.Body(), LineBreaks::AsBreaks)
                                     : host::SanitizeHtml(html);
    RepliedEmailSubject = reply.Subject();
  });
}

std::string cCase::SearchText() const {
  std::string text;
  auto line = [&text](std::string_view value) {
    text += value;
    text += "\r\n";
  };
  line(CaseID);
  line(Subject);
  line(Technicians.CreatedBy());
  if (ProblemTypeRecord) {
    line(ProblemTypeRecord->ProblemCategory);
    line(ProblemTypeRecord->ProblemType);
  }
  if (Caller) {
    line(Caller->Name);
    line(Caller->Email);
    line(Caller->Phone);
    line(Caller->Mobile);
    line(Caller->Address);
    line(Caller->Department);
    line(Caller->Company);
  }
  line(Technicians.FullNames());
  line(Technicians.Emails());
  line(Technicians.Mobiles());
  if (Assets) {
    for (const auto& entry : *Assets) {
      const cAsset& asset = entry.Value();
      line(asset.AssetName);
      line(asset.AssetField2);
      line(asset.AssetField3);
      line(asset.AssetField4);
      line(asset.AssetField5);
      line(asset.AssetComment);
    }
  }
  line(ImportanceText(Importance));
  line(Status);
  line(Notes);
  for (int n = 1; n <= 10; ++n) line(*CustomField(n));
  return text + Body;
}

std::string cCase::CasePrefixCode() const {
  return Trap("Case.CasePrefixCode", std::string{}, [&] {
    PrefixSources sources;
    if (const cTechnician* primary = Technicians.GetItem(0))
      sources.technician = primary->Name;
    sources.problem_category = ProblemCategory;
    sources.problem_type = ProblemType;
    if (ProblemTypeRecord && !ProblemTypeRecord->ProblemType.empty()) {
      sources.problem_type = ProblemTypeRecord->ProblemType;
      if (sources.problem_category.empty())
        sources.problem_category = ProblemTypeRecord->ProblemCategory;
    }
    if (Caller) sources.caller_department = Caller->Department;
    return PrefixCodeFor(sources);
  });
}

}  // namespace zanvoro
