#include "host/store/StandardProperty.h"

#include <array>

#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

using K = PropKind;

constexpr std::array<StandardProperty, kPropCount> kProperties = {{
    {Prop::MessageClass, "MessageClass", K::Text, 1},
    {Prop::Subject, "Subject", K::Text, 1},
    {Prop::Body, "Body", K::Text, 1},
    {Prop::HTMLBody, "HTMLBody", K::Text, 1},
    {Prop::BodyFormat, "BodyFormat", K::Long, 1},
    {Prop::Importance, "Importance", K::Long, 1},
    {Prop::UnRead, "UnRead", K::Boolean, 1},
    {Prop::Categories, "Categories", K::Text, 1},
    {Prop::BillingInformation, "BillingInformation", K::Text, 1},
    {Prop::FlagRequest, "FlagRequest", K::Text, 1},
    {Prop::FlagStatus, "FlagStatus", K::Long, 1},
    {Prop::ReceivedTime, "ReceivedTime", K::Date, 1},
    {Prop::CreationTime, "CreationTime", K::Date, 1},
    {Prop::LastModificationTime, "LastModificationTime", K::Date, 1},
    {Prop::SentOn, "SentOn", K::Date, 1},
    {Prop::ConversationIndex, "ConversationIndex", K::Text, 1},
    {Prop::ConversationTopic, "ConversationTopic", K::Text, 1},
    {Prop::SenderName, "SenderName", K::Text, 1},
    {Prop::SenderEmailAddress, "SenderEmailAddress", K::Text, 1},
    {Prop::SenderEmailType, "SenderEmailType", K::Text, 1},
    {Prop::SentOnBehalfOfName, "SentOnBehalfOfName", K::Text, 1},
    {Prop::ReadReceiptRequested, "ReadReceiptRequested", K::Boolean, 1},
    {Prop::SaveSentMessageFolder, "SaveSentMessageFolder", K::Text, 1},
    {Prop::Start, "Start", K::Date, 1},
    {Prop::End, "End", K::Date, 1},
    {Prop::Duration, "Duration", K::Long, 1},
    {Prop::Location, "Location", K::Text, 1},
    {Prop::ReminderSet, "ReminderSet", K::Boolean, 1},
    {Prop::ReminderMinutesBeforeStart, "ReminderMinutesBeforeStart", K::Long, 1},
    {Prop::DueDate, "DueDate", K::Date, 1},
    {Prop::StartDate, "StartDate", K::Date, 1},
    {Prop::Status, "Status", K::Long, 1},
    {Prop::Complete, "Complete", K::Boolean, 1},
    {Prop::PercentComplete, "PercentComplete", K::Long, 1},
    {Prop::FullName, "FullName", K::Text, 1},
    {Prop::Email1Address, "Email1Address", K::Text, 1},
    {Prop::Email1DisplayName, "Email1DisplayName", K::Text, 1},
    {Prop::BusinessTelephoneNumber, "BusinessTelephoneNumber", K::Text, 1},
    {Prop::MobileTelephoneNumber, "MobileTelephoneNumber", K::Text, 1},
    {Prop::CompanyName, "CompanyName", K::Text, 1},
    {Prop::Department, "Department", K::Text, 1},
    {Prop::BusinessAddress, "BusinessAddress", K::Text, 1},
    {Prop::OfficeLocation, "OfficeLocation", K::Text, 1},
    {Prop::Size, "Size", K::Long, 1},
    // The internet headers the mail layer threads replies by came later.
    {Prop::MessageID, "MessageID", K::Text, 2},
    {Prop::InReplyTo, "InReplyTo", K::Text, 2},
    {Prop::References, "References", K::Text, 2},
}};

constexpr bool InPropOrder() {
  for (size_t i = 0; i < kProperties.size(); ++i) {
    if (static_cast<size_t>(kProperties[i].prop) != i) return false;
  }
  return true;
}
static_assert(InPropOrder(), "the property table follows the order of Prop");

}  // namespace

std::span<const StandardProperty> StandardProperties() { return kProperties; }

const StandardProperty& Describe(Prop prop) {
  return kProperties[static_cast<size_t>(prop)];
}

const StandardProperty* FindStandardProperty(std::string_view name) {
  for (const StandardProperty& p : kProperties) {
    if (TextEquals(p.name, name)) return &p;
  }
  return nullptr;
}

Variant DefaultValue(Prop prop) {
  switch (prop) {
    case Prop::Importance:
    case Prop::BodyFormat:
      return Variant(int32_t{1});
    default:
      break;
  }
  switch (Describe(prop).kind) {
    case PropKind::Text:
      return Variant(std::string());
    case PropKind::Long:
      return Variant(int32_t{0});
    case PropKind::Date:
      return Variant(Date::NoDate());
    case PropKind::Boolean:
      return Variant(false);
  }
  return Variant();
}

Variant ConvertForProperty(Prop prop, const Variant& value) {
  try {
    switch (Describe(prop).kind) {
      case PropKind::Text:
        return Variant(value.IsNull() ? std::string() : CStr(value));
      case PropKind::Long:
        return Variant(CLng(value));
      case PropKind::Date:
        return Variant(CDate(value));
      case PropKind::Boolean:
        return Variant(CBool(value));
    }
  } catch (const Error& e) {
    if (e.Number() == err::kOverflow) throw;
  }
  throw Error(err::kTypeMismatch,
              "Type mismatch: the value cannot be stored in " +
                  std::string(Describe(prop).name) + ".",
              "Item");
}

}  // namespace zanvoro::host
