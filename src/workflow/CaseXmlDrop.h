// A drop folder for web-access XML files: each "*.xml" file put there is
// applied once (ApplyCaseXmlFile) and then moved aside, into "done" when it
// was applied and into "refused" when not, with a "<name>.txt" beside it
// saying why. Uploaded attachments stay in the drop folder, where the files
// that list them find them.
//
// A file is claimed with a marker in "work" before it is applied and the
// marker goes once the file is moved aside. A marker found at the start of
// a pass belongs to a pass that was stopped while applying that file: the
// file is not applied again (it may have been applied) but refused, with
// the advice to check the case. UI thread only.
#pragma once

#include <filesystem>
#include <functional>

#include "workflow/CaseXmlExchange.h"

namespace zanvoro {

// Told of every file a pass handles, where it went and what happened.
using CaseXmlDropReport =
    std::function<void(const std::filesystem::path& file, const CaseXmlOutcome& outcome)>;

// Handles the XML files now in `folder`, in name order; returns how many it
// handled. Creates the folder and its sub-folders when missing; raises the
// file system's Error when it cannot.
int ProcessCaseXmlDrop(const std::filesystem::path& folder,
                       const CaseXmlDropReport& report = {});

}  // namespace zanvoro
