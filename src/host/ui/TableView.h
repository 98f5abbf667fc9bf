// A folder's items shown as a table: a caption, column headings with their
// widths, and rows of cell texts. Add-ins fill one and hand it to the
// current renderer (Renderer::ShowTable); the console prints it, the
// scripted renderer records it.
#pragma once

#include <string>
#include <vector>

namespace zanvoro::host {

struct TableColumn {
  std::string heading;
  // In twips, as the client keeps column widths; a console shows a column
  // of width w as w / 100 characters, at least 3.
  int width = 1500;
};

struct TableView {
  std::string caption;
  std::vector<TableColumn> columns;
  // One text per column; missing cells show empty, extra ones are dropped.
  std::vector<std::vector<std::string>> rows;
};

// The characters a console gives a column of `width` twips.
int ConsoleColumnWidth(int width);

// The table as text: the caption line, the headings, a rule of "-", then
// one line per row. Each cell is padded or cut to its column's console
// width (a cut cell ends in "~"); columns are separated by two spaces; a
// cell's tabs and line breaks show as spaces; trailing spaces are dropped.
// Widths count UTF-8 characters, not bytes.
std::string TableViewText(const TableView& view);

}  // namespace zanvoro::host
