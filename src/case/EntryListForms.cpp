#include "case/EntryListForms.h"

#include "host/xml/XmlDocument.h"
#include "runtime/Error.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace zanvoro::entrylist {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string CellHtml(const Cell& cell) {
  std::string html = "<td";
  if (cell.width > 0) html += " width=\"" + std::to_string(cell.width) + "\"";
  if (cell.colspan > 0) html += " colspan=\"" + std::to_string(cell.colspan) + "\"";
  if (!cell.background.empty())
    html += " bgcolor=\"" + std::string(cell.background) + "\"";
  if (cell.align == Align::Center) html += " align=\"center\"";
  if (cell.align == Align::Right) html += " align=\"right\"";
  html += ">";
  html += HtmlEscape(cell.text);
  html += "</td>";
  html += kCrLf;
  return html;
}

}  // namespace

void ReadDataElements(
    std::string_view xml,
    const std::function<void(const std::vector<std::string>&)>& read_entry) {
  if (Trim(xml).empty()) return;
  host::XmlDocument document;
  // Text that is not XML holds no entries; the case keeps working without them.
  if (!document.LoadXML(xml)) return;
  for (const host::XmlNode& data : document.GetElementsByTagName("Data")) {
    std::vector<std::string> fields;
    for (const host::XmlNode& child : data.ChildNodes()) {
      if (child.NodeType() == host::XmlNodeType::Element) fields.push_back(child.Text());
    }
    read_entry(fields);
  }
}

std::string WriteDataElements(std::string_view root_name,
                              const std::vector<std::string_view>& field_names,
                              const std::vector<std::vector<std::string>>& rows) {
  host::XmlDocument document;
  host::XmlNode root = document.AppendChild(document.CreateElement(root_name));
  for (const auto& row : rows) {
    host::XmlNode data = root.AppendChild(document.CreateElement("Data"));
    for (size_t i = 0; i < field_names.size(); ++i) {
      host::XmlNode field = data.AppendChild(document.CreateElement(field_names[i]));
      field.SetText(FieldAt(row, i));
    }
  }
  return document.Xml();
}

std::string FieldAt(const std::vector<std::string>& fields, size_t position) {
  return position < fields.size() ? fields[position] : std::string{};
}

std::optional<int32_t> ReadWholeNumber(std::string_view text) {
  if (!IsNumeric(text)) return std::nullopt;
  try {
    return CLng(Variant(text));
  } catch (const Error&) {
    return std::nullopt;  // beyond 32 bits
  }
}

Date ReadEntryDate(std::string_view text) {
  if (auto date = ReadSortableDateText(text)) return *date;
  if (auto date = ParseDate(text)) return *date;
  return Date{};
}

std::string TableStart(int column_count, std::string_view title) {
  std::string html =
      "<br><p><table border=\"1\" width=\"500\" cellspacing=\"0\" cellpadding=\"0\">";
  html += kCrLf;
  html += Row({{.text = title,
                .align = Align::Center,
                .colspan = column_count,
                .background = "#808080"}});
  return html;
}

std::string HeaderRow(
    const std::vector<std::pair<std::string_view, int>>& titles_and_widths) {
  std::vector<Cell> cells;
  for (const auto& [title, width] : titles_and_widths) {
    cells.push_back({.text = title, .width = width, .background = "#C0C0C0"});
  }
  return Row(cells);
}

std::string Row(const std::vector<Cell>& cells) {
  std::string html = "<tr>";
  html += kCrLf;
  for (const Cell& cell : cells) html += CellHtml(cell);
  html += "</tr>";
  html += kCrLf;
  return html;
}

std::string TableEnd() {
  std::string html = "</table></p><br>";
  html += kCrLf;
  return html;
}

}  // namespace zanvoro::entrylist
