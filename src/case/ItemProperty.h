// The only path to the named user properties of an item ("Case.Status",
// "Case.DueDate"...). Every reader and writer of case items, settings items
// and processed mail goes through these two functions, so the conversion
// and default rules below hold everywhere.
//
// The type code is the runtime's value type: VarType::Integer (2), Long (3),
// Double (5), Currency (6), Date (7), String (8), Boolean (11).
//
// Reading: a property that exists gives
//   Integer, Long, Double: its value when numeric, else 0;
//   Currency: 0 when it is Null, else its value;
//   Date: its value when it is a date, else the zero date (30 Dec 1899);
//   String: `fallback` when the value is empty and `fallback` is not, else
//           the value;
//   Boolean: the value converted to a boolean (false when it does not
//            convert).
// A missing property gives
//   Integer, Long, Double: `fallback` when it is numeric and not 0, else 0;
//   Currency: `fallback`, or 0 when it is empty;
//   Date: the zero date;
//   String: `fallback`;
//   Boolean: `fallback` converted when numeric, else Empty.
// The "no date" value (1 January 4501) is a date and comes back as such.
//
// Writing creates a missing property on the item only (never as a folder
// field) with the type that matches the code (number for Integer, Long and
// Double; currency; date/time; text; yes/no) and sets its value: numbers
// when numeric else 0, currency 0 for Null, a date when it is one else
// "1/1/4501" (no date), text as text, yes/no as a boolean ("" when it does
// not convert). Nothing is saved: the caller saves the item.
//
// An item in conflict (another user saved it since it was read) cannot be
// written: the user is told to resolve the conflict and nothing is written.
// Other store failures raise their Error. UI thread only.
#pragma once

#include <string>
#include <string_view>

#include "runtime/Variant.h"

namespace zanvoro {

namespace host {
class Item;
}  // namespace host

Variant ReadItemProperty(host::Item& item, std::string_view name, VarType type,
                         const Variant& fallback = {});

// Returns false when the item is in conflict and nothing was written.
bool WriteItemProperty(host::Item& item, std::string_view name, const Variant& value,
                       VarType type);

// Shorthands over ReadItemProperty for the common reads.
std::string ReadItemText(host::Item& item, std::string_view name,
                         std::string_view fallback = {});
Date ReadItemDate(host::Item& item, std::string_view name);
int32_t ReadItemLong(host::Item& item, std::string_view name);
bool ReadItemBoolean(host::Item& item, std::string_view name);

// The zero date that date reads give for a missing or unreadable value.
inline constexpr Date kZeroDate{};

}  // namespace zanvoro
