#include "case/cWorks.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "case/EntryListForms.h"
#include "errors/Trap.h"

namespace zanvoro {

void cWorks::FromXML(std::string_view xml) {
  Clear();
  Trap("Works.FromXML", [&] {
    entrylist::ReadDataElements(xml, [&](const std::vector<std::string>& fields) {
      cWork entry;
      entry.ID = entrylist::ReadWholeNumber(entrylist::FieldAt(fields, 0))
                     .value_or(static_cast<int32_t>(Count() + 1));
      entry.WorkDate = entrylist::ReadEntryDate(entrylist::FieldAt(fields, 1));
      entry.User = entrylist::FieldAt(fields, 2);
      entry.Minutes =
          entrylist::ReadWholeNumber(entrylist::FieldAt(fields, 3)).value_or(0);
      entry.Description = entrylist::FieldAt(fields, 4);
      Add(std::move(entry));
    });
  });
}

std::string cWorks::SaveValueToXML() const {
  return Trap("Works.SaveValueToXML", std::string{}, [&] {
    std::vector<std::vector<std::string>> rows;
    for (const auto& item : *this) {
      const cWork& entry = item.Value();
      rows.push_back({std::to_string(entry.ID), SortableDateText(entry.WorkDate),
                      entry.User, std::to_string(entry.Minutes), entry.Description});
    }
    return entrylist::WriteDataElements(
        "WorkDescriptions", {"ID", "WorkDate", "User", "Minutes", "Description"}, rows);
  });
}

int32_t cWorks::TotalTimeSpent() const {
  // Summed wide and held to 32 bits, so absurd minute counts cannot wrap.
  int64_t total = 0;
  for (const auto& item : *this) total += item.Value().Minutes;
  total = std::clamp<int64_t>(total, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max());
  return static_cast<int32_t>(total);
}

std::string cWorks::ToHTML() const {
  using entrylist::Align;
  using entrylist::Cell;
  std::string html = entrylist::TableStart(4, "Time Spent List");
  html += entrylist::HeaderRow(
      {{"Date", 70}, {"Technician", 100}, {"Comment", 160}, {"Time Spent(mins)", 70}});
  for (const auto& item : *this) html += item.Value().ToHTML();
  std::string total = std::to_string(TotalTimeSpent());
  html += entrylist::Row({
      Cell{.text = "Total Time Spent (mins)",
           .width = 330,
           .align = Align::Right,
           .colspan = 3,
           .background = "#C0C0C0"},
      Cell{.text = total, .width = 70, .align = Align::Center},
  });
  html += entrylist::TableEnd();
  return html;
}

}  // namespace zanvoro
