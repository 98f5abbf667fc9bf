// The compact text form that settings items store: entries joined by ":",
// the fields of one entry joined by ";". Before joining, every ";" in a field
// becomes "&semicolon" and then every ":" becomes "&colon"; reading reverses
// the two replacements in the same order. "&" itself is not escaped.
//
// Limit of the stored form: a field that holds the literal text "&semicolon"
// or "&colon" reads back as ";" or ":". Every text without separators reads
// as its own encoding, so no other writing could keep such a field exact
// while texts written before still read the same; it is kept as it is.
//
// Numeric fields are written as their text and read leniently: empty or
// non-numeric text, or a number out of range, reads as 0.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Variant.h"

namespace zanvoro {

inline constexpr std::string_view kListEntrySeparator = ":";
inline constexpr std::string_view kListFieldSeparator = ";";

std::string EncodeListField(std::string_view field);
std::string DecodeListField(std::string_view field);

// The decoded fields of every entry, in text order. Pieces whose fields are
// all empty (stray or doubled separators) are left out; an entry keeps as
// many fields as it has, the reader of the entry fills in missing ones.
std::vector<std::vector<std::string>> ReadListText(std::string_view text);
// One entry: its encoded fields joined by ";".
std::string WriteListEntry(const std::vector<std::string>& fields);

// Field `index` of `fields`, or "" when the entry is shorter.
const std::string& ListField(const std::vector<std::string>& fields, size_t index);
// Sets the text of target i to ListField(fields, i), for every target in
// order; a nullptr target skips its field (one the caller reads itself).
void ReadListFields(const std::vector<std::string>& fields,
                    std::initializer_list<std::string*> targets);

Currency ReadCurrencyField(std::string_view text);
int32_t ReadIntegerField(std::string_view text);
// A cell of an array form as text: Empty and Null give "", anything else
// its text.
std::string CellText(const Variant& cell);

}  // namespace zanvoro
