#include "host/ui/TableView.h"

#include <algorithm>

namespace zanvoro::host {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The cell fitted to exactly `width` characters.
std::string Fit(std::string_view text, int width) {
  std::string cell;
  int count = 0;
  size_t i = 0;
  while (i < text.size()) {
    size_t next = i + 1;
    while (next < text.size() && IsContinuationByte(text[next])) ++next;
    if (count == width) break;
    char c = text[i];
    if (c == '\t' || c == '\r' || c == '\n') {
      cell += ' ';
    } else {
      cell.append(text.substr(i, next - i));
    }
    ++count;
    i = next;
  }
  if (i < text.size()) {
    // Cut: the last character gives way to the mark.
    while (!cell.empty() && IsContinuationByte(cell.back())) cell.pop_back();
    if (!cell.empty()) cell.pop_back();
    cell += '~';
  }
  cell.append(static_cast<size_t>(width - count), ' ');
  return cell;
}

void AppendLine(std::string& out, std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  out += line;
  out += '\n';
}

}  // namespace

int ConsoleColumnWidth(int width) { return std::max(3, width / 100); }

std::string TableViewText(const TableView& view) {
  std::string out;
  AppendLine(out, view.caption);
  std::string headings;
  std::string rule;
  for (size_t c = 0; c < view.columns.size(); ++c) {
    int width = ConsoleColumnWidth(view.columns[c].width);
    if (c > 0) {
      headings += "  ";
      rule += "  ";
    }
    headings += Fit(view.columns[c].heading, width);
    rule.append(static_cast<size_t>(width), '-');
  }
  AppendLine(out, headings);
  AppendLine(out, rule);
  for (const auto& row : view.rows) {
    std::string line;
    for (size_t c = 0; c < view.columns.size(); ++c) {
      if (c > 0) line += "  ";
      line += Fit(c < row.size() ? row[c] : std::string(),
                  ConsoleColumnWidth(view.columns[c].width));
    }
    AppendLine(out, line);
  }
  return out;
}

}  // namespace zanvoro::host
