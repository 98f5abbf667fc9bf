#include "host/store/StoreValues.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "host/store/SqliteConnection.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro::host {

EncodedValue EncodeUserProperty(UserPropertyType type, const Variant& value) {
  EncodedValue out;
  switch (type) {
    case UserPropertyType::Text: {
      std::string text = value.IsText() ? value.Text() : CStr(value);
      if (IsNumeric(text)) out.number = CDbl(Variant(text));
      out.text = std::move(text);
      break;
    }
    case UserPropertyType::Number: {
      double d = CDbl(value);
      out.text = CStr(Variant(d));
      out.number = d;
      break;
    }
    case UserPropertyType::Currency: {
      Currency c = CCur(value);
      out.text = CurrencyText(c);
      out.number = c.ToDouble();
      break;
    }
    case UserPropertyType::DateTime: {
      Date d = CDate(value);
      out.text = CStr(Variant(d));
      out.number = d.Serial();
      break;
    }
    case UserPropertyType::YesNo: {
      bool b = CBool(value);
      out.text = b ? "True" : "False";
      out.number = b ? 1 : 0;
      break;
    }
  }
  return out;
}

Variant DecodeUserProperty(UserPropertyType type, std::string text,
                           std::optional<double> number) {
  switch (type) {
    case UserPropertyType::Text:
      return Variant(std::move(text));
    case UserPropertyType::Number:
      return Variant(number.value_or(0.0));
    case UserPropertyType::Currency:
      return Variant(Currency::FromScaled(
          static_cast<int64_t>(std::llround(number.value_or(0.0) * Currency::kScale))));
    case UserPropertyType::DateTime:
      return Variant(number ? Date(*number) : Date::NoDate());
    case UserPropertyType::YesNo:
      return Variant(number.value_or(0.0) != 0);
  }
  return Variant();
}

ValueKind KindOf(PropKind kind) {
  switch (kind) {
    case PropKind::Text:
      return ValueKind::Text;
    case PropKind::Long:
      return ValueKind::Number;
    case PropKind::Date:
      return ValueKind::Date;
    case PropKind::Boolean:
      return ValueKind::Boolean;
  }
  return ValueKind::Text;
}

const char* OperatorSql(CompareOp op) {
  switch (op) {
    case CompareOp::Equal:
      return "=";
    case CompareOp::NotEqual:
      return "<>";
    case CompareOp::Less:
      return "<";
    case CompareOp::LessOrEqual:
      return "<=";
    case CompareOp::Greater:
      return ">";
    case CompareOp::GreaterOrEqual:
      return ">=";
  }
  return "=";
}

namespace {

// The mail client's DASL names of a few standard properties.
const std::map<std::string, Prop, std::less<>>& DaslNames() {
  static const std::map<std::string, Prop, std::less<>> names = {
      {"urn:schemas:httpmail:subject", Prop::Subject},
      {"urn:schemas:httpmail:textdescription", Prop::Body},
      {"urn:schemas:httpmail:htmldescription", Prop::HTMLBody},
      {"urn:schemas:httpmail:datereceived", Prop::ReceivedTime},
      {"urn:schemas:httpmail:fromname", Prop::SenderName},
      {"urn:schemas:httpmail:fromemail", Prop::SenderEmailAddress},
      {"urn:schemas:httpmail:importance", Prop::Importance},
      {"urn:schemas:httpmail:read", Prop::UnRead},
      {"urn:schemas:mailheader:message-id", Prop::MessageID},
      {"urn:schemas:mailheader:in-reply-to", Prop::InReplyTo},
      {"dav:getlastmodified", Prop::LastModificationTime},
      {"urn:schemas:calendar:dtstart", Prop::Start},
      {"urn:schemas:calendar:dtend", Prop::End},
      {"urn:schemas:calendar:location", Prop::Location},
  };
  return names;
}

constexpr std::string_view kPublicStrings = "http://schemas.microsoft.com/mapi/string/";

}  // namespace

NamedProperty ParsePropertyName(std::string_view name) {
  NamedProperty out;
  if (StartsWithText(name, kPublicStrings)) {
    size_t end = name.find("}/");
    if (end == std::string_view::npos || end + 2 >= name.size())
      throw Error(err::kInvalidProcedureCall, "Unknown property: " + std::string(name),
                  kStoreSource);
    out.user_name = std::string(name.substr(end + 2));
  } else if (name.find(':') != std::string_view::npos) {
    auto it = DaslNames().find(LCase(name));
    if (it == DaslNames().end())
      throw Error(err::kInvalidProcedureCall, "Unknown property: " + std::string(name),
                  kStoreSource);
    out.standard = &Describe(it->second);
  } else if (TextEquals(name, "EntryID")) {
    out.entry_id = true;
  } else if (const StandardProperty* p = FindStandardProperty(name)) {
    out.standard = p;
  } else {
    out.user_name = std::string(name);
  }
  return out;
}

std::string UserPropertySql(int64_t name_id, std::string_view column) {
  return "(SELECT p." + std::string(column) +
         " FROM item_properties p WHERE p.name_id = " + std::to_string(name_id) +
         " AND p.item_id = i.id)";
}

bool ParseUserPropertySql(const std::string& sql, int64_t& name_id, std::string& column) {
  char col[16] = {};
  long long id = 0;
  if (std::sscanf(sql.c_str(),
                  "(SELECT p.%15[a-z_] FROM item_properties p WHERE p.name_id = %lld AND",
                  col, &id) != 2)
    return false;
  name_id = id;
  column = col;
  return column == kUserTextValue || column == kUserNumValue;
}

}  // namespace zanvoro::host
