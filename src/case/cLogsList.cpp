#include "case/cLogsList.h"

#include <utility>

#include "case/EntryListForms.h"
#include "errors/Trap.h"

namespace zanvoro {

void cLogsList::FromXML(std::string_view xml) {
  Clear();
  Trap("LogsList.FromXML", [&] {
    entrylist::ReadDataElements(xml, [&](const std::vector<std::string>& fields) {
      cLog entry;
      // An entry without a readable number takes the next one, as a new entry would.
      entry.ID = entrylist::ReadWholeNumber(entrylist::FieldAt(fields, 0))
                     .value_or(static_cast<int32_t>(Count() + 1));
      entry.Description = entrylist::FieldAt(fields, 1);
      entry.ActionDate = entrylist::ReadEntryDate(entrylist::FieldAt(fields, 2));
      entry.Technician = entrylist::FieldAt(fields, 3);
      Add(std::move(entry));
    });
  });
}

std::string cLogsList::SaveValueToXML() const {
  return Trap("LogsList.SaveValueToXML", std::string{}, [&] {
    std::vector<std::vector<std::string>> rows;
    for (const auto& item : *this) {
      const cLog& entry = item.Value();
      rows.push_back({std::to_string(entry.ID), entry.Description,
                      SortableDateText(entry.ActionDate), entry.Technician});
    }
    return entrylist::WriteDataElements(
        "Logs", {"ID", "Description", "ActionDate", "Technician"}, rows);
  });
}

std::string cLogsList::ToHTML() const {
  std::string html = entrylist::TableStart(3, "Log List");
  html += entrylist::HeaderRow({{"Date", 100}, {"Technician", 100}, {"Comment", 300}});
  for (const auto& item : *this) html += item.Value().ToHTML();
  html += entrylist::TableEnd();
  return html;
}

}  // namespace zanvoro
