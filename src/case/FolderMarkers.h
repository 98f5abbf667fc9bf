// The helpdesk's folder kinds and the markers that identify them. Every
// helpdesk folder carries a marker in its folder description; folders are
// recognised by that marker only, never by their names, so administrators
// may rename and translate them freely.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "errors/HelpdeskFolder.h"

namespace zanvoro {

namespace host {
class MAPIFolder;
}  // namespace host

// The tag names of the markers.
inline constexpr const char* kOngoingTag = "VarnholtOngoing";
inline constexpr const char* kResolvedTag = "VarnholtResolved";
inline constexpr const char* kKBTag = "VarnholtKB";
inline constexpr const char* kSettingsTag = "VarnholtSettings";
inline constexpr const char* kHistoryTag = "VarnholtHistory";
inline constexpr const char* kScheduleTag = "VarnholtSchedule";
inline constexpr const char* kTechnicianTag = "VarnholtTechnician";
// Stands for the technician's name in the technician schedule's title.
inline constexpr const char* kTechnicianPlaceholder = "[TECHNICIAN]";

// What GetFolderKind tells the explorer manager about a folder.
enum class FolderKind : int32_t {
  KB = 0,
  Resolved = 1,
  Ongoing = 2,
  Settings = 3,
  History = 4,
  Other = 5,
  Contacts = 6,
  Calendar = 7,
  Tasks = 8,
};

// The tag of a helpdesk folder kind ("VarnholtOngoing").
std::string_view FolderTag(HelpdeskFolder folder);

// The marker of `tag_name` (compared without regard to case):
// "<Tag><Note>DO NOT CHANGE THIS CONTENT</Note><Title>...</Title></Tag>",
// with no whitespace between the elements; "" for a tag not in the table.
// The technician marker keeps "[TECHNICIAN]" in its title.
std::string GetFolderMarker(std::string_view tag_name);
// The technician schedule marker with the technician's name in its title.
std::string TechnicianMarker(std::string_view technician);

// Sibling recognition: the first kind, in the order Ongoing, Resolved,
// Settings, KB, History, Schedule, whose tag the description contains
// (ignoring case, anywhere in the text); nullopt when none does. The
// technician tag is not searched for.
std::optional<HelpdeskFolder> RecognizeHelpdeskFolder(std::string_view description);
// Whether the description holds the Settings tag (ignoring case).
bool HasSettingsMarker(std::string_view description);

// Classifies a folder for the explorer manager, strictly: calendars,
// contacts and task folders by their item type; mail and post folders by
// the root element of their description parsed as XML (the whole element
// name, ignoring case); anything else, and no folder, is Other. A Schedule
// folder is a calendar.
FolderKind GetFolderKind(const host::MAPIFolder* folder);

// The kind of the folder last switched to in any explorer window, kept by
// the explorer manager for the settings loader and the case store to read;
// Other until the first switch. UI thread only.
FolderKind CurrentFolderKind();
void SetCurrentFolderKind(FolderKind kind);

}  // namespace zanvoro
