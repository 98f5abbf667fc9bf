#include "case/FolderMarkers.h"

#include <array>

#include "host/store/MAPIFolder.h"
#include "host/xml/XmlDocument.h"
#include "runtime/Text.h"

namespace zanvoro {

namespace {

struct MarkerEntry {
  const char* tag;
  const char* title;
};

constexpr std::array<MarkerEntry, 7> kMarkers{{
    {kOngoingTag, "Ongoing Cases folder for Zanvoro"},
    {kResolvedTag, "Resolved Cases folder for Zanvoro"},
    {kKBTag, "Knowledge Base folder for Zanvoro"},
    {kSettingsTag, "Settings folder for Zanvoro"},
    {kHistoryTag, "History folder for Zanvoro"},
    {kScheduleTag, "Due Date Schedule folder for Zanvoro"},
    {kTechnicianTag, "Due Date schedule for [TECHNICIAN]"},
}};

// The order in which the sibling scan tests the tags: a description can be
// of one kind only, and the first match decides.
constexpr std::array<HelpdeskFolder, 6> kRecognitionOrder{
    HelpdeskFolder::Ongoing, HelpdeskFolder::Resolved, HelpdeskFolder::Settings,
    HelpdeskFolder::KB,      HelpdeskFolder::History,  HelpdeskFolder::Schedule,
};

bool ContainsTag(std::string_view description, std::string_view tag) {
  return UCase(description).find(UCase(tag)) != std::string::npos;
}

}  // namespace

std::string_view FolderTag(HelpdeskFolder folder) {
  switch (folder) {
    case HelpdeskFolder::Ongoing:
      return kOngoingTag;
    case HelpdeskFolder::Resolved:
      return kResolvedTag;
    case HelpdeskFolder::KB:
      return kKBTag;
    case HelpdeskFolder::Settings:
      return kSettingsTag;
    case HelpdeskFolder::History:
      return kHistoryTag;
    case HelpdeskFolder::Schedule:
      return kScheduleTag;
  }
  return {};
}

std::string GetFolderMarker(std::string_view tag_name) {
  for (const MarkerEntry& entry : kMarkers) {
    if (!TextEquals(entry.tag, tag_name)) continue;
    std::string tag = entry.tag;
    return "<" + tag + "><Note>DO NOT CHANGE THIS CONTENT</Note><Title>" + entry.title +
           "</Title></" + tag + ">";
  }
  return {};
}

std::string TechnicianMarker(std::string_view technician) {
  return Replace(GetFolderMarker(kTechnicianTag), kTechnicianPlaceholder, technician);
}

std::optional<HelpdeskFolder> RecognizeHelpdeskFolder(std::string_view description) {
  for (HelpdeskFolder kind : kRecognitionOrder) {
    if (ContainsTag(description, FolderTag(kind))) return kind;
  }
  return std::nullopt;
}

bool HasSettingsMarker(std::string_view description) {
  return ContainsTag(description, kSettingsTag);
}

FolderKind GetFolderKind(const host::MAPIFolder* folder) {
  if (!folder) return FolderKind::Other;
  switch (folder->DefaultItemType()) {
    case host::ItemType::Appointment:
      return FolderKind::Calendar;
    case host::ItemType::Contact:
      return FolderKind::Contacts;
    case host::ItemType::Task:
      return FolderKind::Tasks;
    case host::ItemType::Mail:
    case host::ItemType::Post:
      break;
    default:
      return FolderKind::Other;
  }
  if (Trim(folder->Description()).empty()) return FolderKind::Other;
  host::XmlDocument document;
  if (!document.LoadXML(folder->Description())) return FolderKind::Other;
  std::string root = UCase(document.DocumentElement().NodeName());
  struct {
    const char* tag;
    FolderKind kind;
  } const kinds[] = {
      {kOngoingTag, FolderKind::Ongoing},
      {kResolvedTag, FolderKind::Resolved},
      {kKBTag, FolderKind::KB},
      {kHistoryTag, FolderKind::History},
      {kSettingsTag, FolderKind::Settings},
  };
  for (const auto& entry : kinds) {
    if (root == UCase(entry.tag)) return entry.kind;
  }
  return FolderKind::Other;
}

namespace {

FolderKind& CurrentKind() {
  static FolderKind kind = FolderKind::Other;
  return kind;
}

}  // namespace

FolderKind CurrentFolderKind() { return CurrentKind(); }

void SetCurrentFolderKind(FolderKind kind) { CurrentKind() = kind; }

}  // namespace zanvoro
