#include "workflow/CaseXmlDrop.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

namespace fs = std::filesystem;

void Require(const std::error_code& ec, const std::string& what) {
  if (ec) throw Error(err::kPathNotFound, what + ": " + ec.message(), "CaseXmlDrop");
}

// `name` in `folder`, with a number added before the extension when a file
// of that name is there already.
fs::path FreeName(const fs::path& folder, const fs::path& name) {
  fs::path candidate = folder / name;
  for (int n = 2; fs::exists(candidate); ++n) {
    candidate = folder / (name.stem().string() + "-" + std::to_string(n) +
                          name.extension().string());
  }
  return candidate;
}

// Moves the file aside and, for a refused one, writes the reason beside it.
fs::path SetAside(const fs::path& file, const fs::path& folder,
                  const CaseXmlOutcome& outcome) {
  fs::path target = FreeName(folder, file.filename());
  std::error_code ec;
  fs::rename(file, target, ec);
  Require(ec, "cannot move " + file.string());
  if (!outcome.applied) {
    std::ofstream reason(target.string() + ".txt", std::ios::binary | std::ios::trunc);
    reason << outcome.message << "\n";
  }
  return target;
}

}  // namespace

int ProcessCaseXmlDrop(const fs::path& folder, const CaseXmlDropReport& report) {
  const fs::path work = folder / "work";
  const fs::path done = folder / "done";
  const fs::path refused = folder / "refused";
  std::error_code ec;
  for (const fs::path& made : {folder, work, done, refused}) {
    fs::create_directories(made, ec);
    Require(ec, "cannot make " + made.string());
  }
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (entry.is_regular_file(ec) &&
        TextEquals(entry.path().extension().string(), ".xml"))
      files.push_back(entry.path());
  }
  Require(ec, "cannot read " + folder.string());
  std::sort(files.begin(), files.end());
  // A marker whose file was moved aside already is left from a pass stopped
  // just after the move.
  for (const fs::directory_entry& entry : fs::directory_iterator(work, ec)) {
    std::error_code ignored;
    if (!fs::exists(folder / entry.path().filename(), ignored))
      fs::remove(entry.path(), ignored);
  }

  int handled = 0;
  for (const fs::path& file : files) {
    const fs::path marker = work / file.filename();
    CaseXmlOutcome outcome;
    if (fs::exists(marker)) {
      outcome.message =
          "the last attempt to apply this file was stopped part-way; check the case "
          "and drop the file again if it was not changed";
    } else {
      std::ofstream(marker, std::ios::binary).close();
      if (!fs::exists(marker))
        throw Error(err::kPathNotFound, "cannot write " + marker.string());
      outcome = ApplyCaseXmlFile(file);
    }
    fs::path moved = SetAside(file, outcome.applied ? done : refused, outcome);
    fs::remove(marker, ec);
    ++handled;
    if (report) report(moved, outcome);
  }
  return handled;
}

}  // namespace zanvoro
