// Changes made to a case on the web-access site, delivered as small XML
// files: a technician's full update (fields, time spent, a new note, a new
// description) and a caller's reply (caller fields, custom fields, priority
// and the reply text). Values are read by element name: the text of the
// first element of that name anywhere in the document; a missing element
// or an empty text leaves its field as it is.
//
// The files come from the web and are not trusted. A file is refused, and
// nothing of the case changes, when it is larger than kMaxCaseXmlBytes, is
// not UTF-8, carries a document type declaration (so no entity is declared
// or expanded), is not well-formed, names no case ("EntryID"), holds a field
// of the wrong type ("Priority" other than 0, 1 or 2; "TimeSpent" that is
// not a number of minutes; "DateAction" or "DueDate" that is not a date), or
// lists an attachment that is not a plain file in the file's own folder
// (or attachments of more than kMaxCaseXmlAttachmentBytes in all).
//
// Attachments: "Attachments" holds the uploaded files' names separated by
// "|", each a file beside the XML file. Each is attached to the case item
// under its own name with the content ID "CASE-<number>-<n>" (n counting
// the item's attachments) and linked ("cid:") from a line "Attachments: ..."
// below the new description. HTML from the file is cleaned like mail HTML
// before it enters the case.
//
// The operations follow the failure convention (Trap, locations
// "Case.GetCaseFromXML", "Case.PartialUpdateFromXML"). UI thread only.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>

namespace zanvoro {

namespace host {
class Item;
}  // namespace host

class cCase;

inline constexpr size_t kMaxCaseXmlBytes = size_t{4} << 20;
inline constexpr size_t kMaxCaseXmlAttachmentBytes = size_t{25} << 20;

// The full update: when the file at `path` is accepted, fills `c` from
// `item` and applies the file to it, attaching the listed files to `item`
// (not saved: the caller writes the record back with SetCaseToOutlookItem).
// A refused file returns false with the reason in `refusal` and leaves `c`
// and `item` as they were.
bool GetCaseFromXML(cCase& c, const std::filesystem::path& path,
                    const std::shared_ptr<host::Item>& item,
                    std::string* refusal = nullptr);

// The caller's reply: the same, with the caller-side elements only.
bool PartialUpdateFromXML(cCase& c, const std::filesystem::path& path,
                          const std::shared_ptr<host::Item>& item,
                          std::string* refusal = nullptr);

struct CaseXmlOutcome {
  bool applied = false;
  std::string case_number;  // of the case the file named, when found
  std::string message;      // what was done, or why the file was refused
};

// Applies the file at `path` to the helpdesk case whose entry ID it names
// and saves the case: a file with a "newDescription" element is a caller's
// reply, any other a full update. An unknown case, a refused file or a
// failed save gives applied == false with the reason, and the case item
// unchanged.
CaseXmlOutcome ApplyCaseXmlFile(const std::filesystem::path& path);

}  // namespace zanvoro
