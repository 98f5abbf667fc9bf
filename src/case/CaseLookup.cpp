// Finding case items by number, and the small module functions around the
// case record: the message-class rule, reading a named property straight
// from the store, importance texts and the case IDs that need case items.
#include "case/CaseID.h"
#include "case/CaseProperties.h"
#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "case/cCase.h"
#include "errors/Trap.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recordset.h"
#include "host/store/Store.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

// A number as a quoted literal of a filter or query: a quote inside is
// doubled, so no number can end the literal early.
std::string QuotedLiteral(std::string_view text) {
  return "'" + Replace(text, "'", "''") + "'";
}

// The item a table query row names, or nullptr when it went meanwhile.
std::shared_ptr<host::Item> OpenRow(host::Recordset& rows, host::MAPIFolder& folder) {
  std::string entry_id = CStr(rows.Fields("EntryID").Value);
  if (entry_id.empty()) return nullptr;
  auto session = HelpdeskSession();
  if (!session) return nullptr;
  try {
    return session->GetItemFromID(entry_id, folder.StoreID());
  } catch (const Error& error) {
    if (error.Number() == err::kNotFound || error.Number() == err::kObjectDeleted) {
      return nullptr;
    }
    throw;
  }
}

std::shared_ptr<host::Item> FindCaseIn(const std::shared_ptr<host::MAPIFolder>& folder,
                                       std::string_view case_number) {
  if (!folder) return nullptr;
  std::string literal = QuotedLiteral(case_number);
  std::string filter = std::string("[") + caseprop::kCaseNumber + "] = " + literal;
  if (auto item = folder->Items()->Find(filter)) return item;
  host::Recordset rows =
      folder->ExecSQL(std::string("Select EntryID from Folder where \"") +
                      caseprop::kCaseNumber + "\" = " + literal);
  if (rows.RecordCount() == 0) return nullptr;
  rows.MoveFirst();
  return OpenRow(rows, *folder);
}

}  // namespace

std::string GetProperMessageClass(host::Item& item) {
  return Trap("Case.GetProperMessageClass", std::string(kCaseMessageClass), [&] {
    bool closed = Trim(ReadItemText(item, caseprop::kClosed)) == "1";
    return std::string(closed ? kClosedCaseMessageClass : kCaseMessageClass);
  });
}

std::shared_ptr<host::Item> GetCaseItemFromID(std::string_view case_number) {
  return Trap("Case.GetCaseItemFromID", std::shared_ptr<host::Item>(), [&] {
    // An open case is the one that counts; a closed case is found when no
    // open case has the number.
    if (auto item = FindCaseIn(GetOngoingFolder(), case_number)) return item;
    return FindCaseIn(GetResolvedFolder(), case_number);
  });
}

std::shared_ptr<host::Item> FindCaseItemInFolder(
    const std::shared_ptr<host::MAPIFolder>& folder, std::string_view case_number) {
  return Trap("Case.FindCaseItemInFolder", std::shared_ptr<host::Item>(),
              [&] { return FindCaseIn(folder, case_number); });
}

Variant ReadItemPropertyMapi(host::Item& item, std::string_view name, VarType type) {
  return Trap("Case.ReadItemPropertyMapi", Variant(), [&] {
    // What is stored counts, not what the item object holds in memory.
    if (item.EntryID().empty()) return Variant();
    host::StoreBackend& backend = item.GetStore()->Backend();
    std::optional<host::ItemRow> row = backend.LoadItem(item.EntryID());
    if (!row) return Variant();
    for (const host::PropertyRow& property : backend.LoadProperties(row->id)) {
      if (!TextEquals(property.name, name)) continue;
      if (type == VarType::String && !property.value.IsText()) {
        return Variant(CStr(property.value));
      }
      return property.value;
    }
    return Variant();
  });
}

bool EnsureMapiUtils() { return true; }

std::string ImportanceText(int32_t importance) {
  switch (importance) {
    case 0:
      return "Low";
    case 1:
      return "Normal";
    case 2:
      return "High";
    default:
      return {};
  }
}

std::string ExtractExistingCaseID(std::string_view subject) {
  return Trap("CaseID.ExtractExistingCaseID", std::string{}, [&] {
    if (subject.empty()) return std::string{};
    std::vector<std::string> pieces = Split(subject, "[");
    if (pieces.size() < 2) return std::string{};
    for (const std::string& piece : pieces) {
      size_t close = piece.find(']');
      if (close == std::string::npos) continue;
      std::string number = Trim(NumberPartOfTag(piece.substr(0, close + 1)));
      if (IsNumeric(number) && GetCaseItemFromID(number)) return number;
    }
    return std::string{};
  });
}

std::string SetPrefixCodeFromCaseID(std::string_view case_number, std::string& entry_id) {
  entry_id.clear();
  return Trap("CaseID.SetPrefixCodeFromCaseID", std::string{}, [&] {
    auto item = GetCaseItemFromID(case_number);
    if (!item) return std::string{};
    entry_id = item->EntryID();
    return SetPrefixCodeFromCaseItem(*item);
  });
}

std::string SetPrefixCodeFromCaseObject(const cCase& c) {
  return Trap("CaseID.SetPrefixCodeFromCaseObject", std::string{},
              [&] { return c.CasePrefixCode(); });
}

}  // namespace zanvoro
