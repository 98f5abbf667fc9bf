// The standard properties of an item: the fields every item has whatever its
// kind (mail, post, appointment, task, contact, note), each with its name as
// written in filters and table queries and the kind of value it holds.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "runtime/Variant.h"

namespace zanvoro::host {

enum class PropKind { Text, Long, Date, Boolean };

enum class Prop : int {
  MessageClass,
  Subject,
  Body,
  HTMLBody,
  BodyFormat,
  Importance,
  UnRead,
  Categories,
  BillingInformation,
  FlagRequest,
  FlagStatus,
  ReceivedTime,
  CreationTime,
  LastModificationTime,
  SentOn,
  ConversationIndex,
  ConversationTopic,
  SenderName,
  SenderEmailAddress,
  SenderEmailType,
  SentOnBehalfOfName,
  ReadReceiptRequested,
  SaveSentMessageFolder,  // entry ID of the folder
  Start,
  End,
  Duration,
  Location,
  ReminderSet,
  ReminderMinutesBeforeStart,
  DueDate,
  StartDate,
  Status,
  Complete,
  PercentComplete,
  FullName,
  Email1Address,
  Email1DisplayName,
  BusinessTelephoneNumber,
  MobileTelephoneNumber,
  CompanyName,
  Department,
  BusinessAddress,
  OfficeLocation,
  Size,
  MessageID,
  InReplyTo,
  References,
};

inline constexpr size_t kPropCount = static_cast<size_t>(Prop::References) + 1;

struct StandardProperty {
  Prop prop;
  std::string_view name;
  PropKind kind;
  // The store schema version that brought the property (older stores gain
  // it when they are migrated).
  int since_version;
};

// Every standard property, in the order of Prop.
std::span<const StandardProperty> StandardProperties();
const StandardProperty& Describe(Prop prop);
// By name, without regard to case; nullptr for a name that is not standard.
const StandardProperty* FindStandardProperty(std::string_view name);
// The value a new item holds: "" for text, 0 and false, Date::NoDate() for
// dates, and Importance normal (1), BodyFormat plain (1).
Variant DefaultValue(Prop prop);
// Converts `value` to the property's kind with the runtime's conversions
// (text: CStr; long: CLng; date: CDate; boolean: CBool). Raises
// Error(err::kTypeMismatch) when it cannot be converted.
Variant ConvertForProperty(Prop prop, const Variant& value);

}  // namespace zanvoro::host
