// Dates as text: interval codes, pictures, the regional formats, the sortable
// text and the reading of ordinary date texts.
#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/Date.h"
#include "runtime/Error.h"
#include "runtime/Text.h"

namespace zanvoro {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kDayNames = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

RegionalFormats& Regional() {
  static RegionalFormats formats;
  return formats;
}

// ---- Pictures -------------------------------------------------------------

enum class Field {
  Literal,
  Day,            // d dd ddd dddd, ddddd short date, dddddd long date
  MonthOrMinute,  // m mm / M MM: decided by the neighbouring fields
  Month,          // mmm mmmm and the resolved m mm
  Minute,         // n nn and the resolved m mm
  Year,           // y yy yyyy
  HourLower,      // h hh
  HourUpper,      // H HH
  Second,         // s ss
  Designator,     // t tt, ttttt long time
  AmPm,           // AM/PM am/pm A/P a/p AMPM, as written
  Quarter,        // q
  Week,           // w weekday number, ww week of the year
  GeneralDate,    // c
};

struct PictureToken {
  Field field = Field::Literal;
  int count = 0;
  std::string text;  // literal text, or the designator pattern as written
};

// Length of "AM/PM", "A/P" or "AMPM" (any case) at the start of `s`, or 0.
size_t DesignatorLength(std::string_view s) {
  for (std::string_view pattern : {"am/pm", "a/p", "ampm"}) {
    if (StartsWithText(s, pattern)) return pattern.size();
  }
  return 0;
}

// The field a picture letter stands for; Literal for any other character.
Field FieldOfLetter(char c) {
  static constexpr std::pair<std::string_view, Field> kLetters[] = {
      {"dD", Field::Day},    {"mM", Field::MonthOrMinute}, {"nN", Field::Minute},
      {"yY", Field::Year},   {"h", Field::HourLower},      {"H", Field::HourUpper},
      {"sS", Field::Second}, {"t", Field::Designator},     {"qQ", Field::Quarter},
      {"wW", Field::Week},   {"c", Field::GeneralDate}};
  for (const auto& [letters, field] : kLetters) {
    if (letters.find(c) != std::string_view::npos) return field;
  }
  return Field::Literal;
}

std::vector<PictureToken> TokenizePicture(std::string_view picture) {
  std::vector<PictureToken> tokens;
  auto literal = [&](std::string_view text) {
    if (!tokens.empty() && tokens.back().field == Field::Literal) {
      tokens.back().text += text;
    } else {
      tokens.push_back({Field::Literal, 0, std::string(text)});
    }
  };
  size_t i = 0;
  while (i < picture.size()) {
    char c = picture[i];
    std::string_view rest = picture.substr(i);
    if (c == '\'' || c == '"') {
      size_t end = picture.find(c, i + 1);
      if (end == std::string_view::npos) end = picture.size();
      // Two single quotes in a row stand for one quote character.
      if (c == '\'' && end == i + 1) {
        literal("'");
      } else {
        literal(picture.substr(i + 1, end - i - 1));
      }
      i = end + 1;
      continue;
    }
    if (c == '\\') {
      if (i + 1 < picture.size()) literal(picture.substr(i + 1, 1));
      i += 2;
      continue;
    }
    if (size_t length = DesignatorLength(rest); length != 0) {
      tokens.push_back({Field::AmPm, 0, std::string(rest.substr(0, length))});
      i += length;
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    int count = static_cast<int>(run);
    Field field = FieldOfLetter(c);
    if (field == Field::MonthOrMinute && count >= 3) field = Field::Month;
    if (field == Field::Literal) {
      literal(picture.substr(i, run));
    } else {
      tokens.push_back({field, count, {}});
    }
    i += run;
  }

  // An "m" right after an hour or right before a second is minutes.
  for (size_t k = 0; k < tokens.size(); ++k) {
    if (tokens[k].field != Field::MonthOrMinute) continue;
    auto neighbour = [&](int step) -> Field {
      for (auto j = static_cast<ptrdiff_t>(k) + step;
           j >= 0 && j < static_cast<ptrdiff_t>(tokens.size()); j += step) {
        if (tokens[j].field != Field::Literal) return tokens[j].field;
      }
      return Field::Literal;
    };
    Field before = neighbour(-1);
    bool after_hour = before == Field::HourLower || before == Field::HourUpper;
    tokens[k].field =
        after_hour || neighbour(1) == Field::Second ? Field::Minute : Field::Month;
  }
  return tokens;
}

// The tokens of a picture, kept for the few pictures formatted last: a
// report formats the same two or three pictures for every case. Tokens
// depend on the picture's text alone, so a kept entry is never out of date.
// Shared, so a nested format that replaces an entry leaves the outer one's
// tokens alive.
std::shared_ptr<const std::vector<PictureToken>> PictureTokens(std::string_view picture) {
  struct Kept {
    std::string picture;
    std::shared_ptr<const std::vector<PictureToken>> tokens;
  };
  constexpr size_t kKept = 4;
  thread_local std::array<Kept, kKept> kept;
  thread_local size_t next = 0;
  for (const Kept& k : kept)
    if (k.tokens && k.picture == picture) return k.tokens;
  Kept& slot = kept[next];
  next = (next + 1) % kKept;
  slot.picture = std::string(picture);
  slot.tokens =
      std::make_shared<const std::vector<PictureToken>>(TokenizePicture(picture));
  return slot.tokens;
}

std::string Number(int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) {
    digits.insert(0, width - digits.size(), '0');
  }
  return digits;
}

// Nested pictures (the regional ones reached through "ddddd" and the like)
// do not expand further, so a regional format naming itself cannot loop.
enum class Nesting { Top, Inner };

std::string FormatPicture(Date d, std::string_view picture, Nesting nesting);

std::string FormatNested(Date d, std::string_view picture, Nesting nesting) {
  return nesting == Nesting::Top ? FormatPicture(d, picture, Nesting::Inner)
                                 : std::string();
}

std::string FormatPicture(Date d, std::string_view picture, Nesting nesting) {
  const std::shared_ptr<const std::vector<PictureToken>> kept = PictureTokens(picture);
  const std::vector<PictureToken>& tokens = *kept;
  bool classic_designator = false;
  bool regional_designator = false;
  for (const PictureToken& t : tokens) {
    classic_designator |= t.field == Field::AmPm;
    regional_designator |= t.field == Field::Designator && t.count < 5;
  }
  DateParts p = SplitDate(d);
  bool pm = p.hour >= 12;
  int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;

  std::string out;
  for (const PictureToken& t : tokens) {
    int n = t.count;
    switch (t.field) {
      case Field::Literal:
        out += t.text;
        break;
      case Field::Day:
        if (n <= 2) {
          out += Number(p.day, n);
        } else if (n <= 4) {
          std::string_view name = kDayNames[Weekday(d) - 1];
          out += n == 3 ? name.substr(0, 3) : name;
        } else {
          const RegionalFormats& r = Regional();
          out += FormatNested(d, n == 5 ? r.short_date : r.long_date, nesting);
        }
        break;
      case Field::MonthOrMinute:
      case Field::Month:
        if (n <= 2) {
          out += Number(p.month, n);
        } else {
          std::string_view name = kMonthNames[p.month - 1];
          out += n == 3 ? name.substr(0, 3) : name;
        }
        break;
      case Field::Minute:
        out += Number(p.minute, std::min(n, 2));
        break;
      case Field::Second:
        out += Number(p.second, std::min(n, 2));
        break;
      case Field::Year:
        out += n <= 2 ? Number(p.year % 100, n) : std::to_string(p.year);
        break;
      case Field::HourLower:
      case Field::HourUpper: {
        bool twelve =
            classic_designator || (regional_designator && t.field == Field::HourLower);
        out += Number(twelve ? hour12 : p.hour, std::min(n, 2));
        break;
      }
      case Field::Designator:
        if (n >= 5) {
          out += FormatNested(d, Regional().time, nesting);
        } else {
          out += n == 1 ? (pm ? "P" : "A") : (pm ? "PM" : "AM");
        }
        break;
      case Field::AmPm:
        if (t.text.size() == 4) {  // AMPM: the designators as the system writes them
          out += pm ? "PM" : "AM";
        } else if (t.text.size() == 5) {  // AM/PM in the case it is written in
          out += pm ? t.text.substr(3, 2) : t.text.substr(0, 2);
        } else {  // A/P
          out += pm ? t.text.substr(2, 1) : t.text.substr(0, 1);
        }
        break;
      case Field::Quarter:
        out += std::to_string((p.month - 1) / 3 + 1);
        break;
      case Field::Week:
        out += std::to_string(
            n == 1 ? Weekday(d)
                   : DateDiff(DateInterval::Week, DateSerial(p.year, 1, 1), d) + 1);
        break;
      case Field::GeneralDate:
        if (nesting == Nesting::Top) out += GeneralDateText(d);
        break;
    }
  }
  return out;
}

// ---- Reading date texts -----------------------------------------------------

struct Piece {
  enum class Kind { Number, Word, Separator };
  Kind kind = Kind::Separator;
  int value = 0;
  int digits = 0;
  std::string word;  // lower case
  char separator = 0;

  bool IsSeparator(char c) const { return kind == Kind::Separator && separator == c; }
  bool IsWord(std::string_view w) const { return kind == Kind::Word && word == w; }
};

// Splits into numbers, lower-cased words and separators; a run of spaces is
// one space and a space next to another separator disappears into it.
std::optional<std::vector<Piece>> SplitPieces(std::string_view text) {
  std::vector<Piece> pieces;
  auto add_separator = [&](char c) {
    if (!pieces.empty() && pieces.back().kind == Piece::Kind::Separator) {
      if (c == ' ') return true;
      if (pieces.back().separator != ' ') return false;  // "//", "-," and the like
      pieces.back().separator = c;
      return true;
    }
    Piece p;
    p.separator = c;
    pieces.push_back(p);
    return true;
  };
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (IsDigit(c)) {
      size_t end = i;
      while (end < text.size() && IsDigit(text[end])) ++end;
      if (end - i > 9) return std::nullopt;
      Piece p;
      p.kind = Piece::Kind::Number;
      p.value = std::stoi(std::string(text.substr(i, end - i)));
      p.digits = static_cast<int>(end - i);
      pieces.push_back(p);
      i = end;
    } else if (IsAsciiLetter(c)) {
      size_t end = i;
      while (end < text.size() && IsAsciiLetter(text[end])) ++end;
      Piece p;
      p.kind = Piece::Kind::Word;
      p.word = LCase(text.substr(i, end - i));
      pieces.push_back(p);
      i = end;
    } else if (c == ' ' || c == '\t' || c == ',' || c == '/' || c == '-' || c == '.' ||
               c == ':') {
      if (!add_separator(c == '\t' ? ' ' : c)) return std::nullopt;
      ++i;
    } else {
      return std::nullopt;
    }
  }
  // Trailing spaces and commas ("March 7, ") carry nothing; a leading
  // separator other than a space makes it no date.
  while (!pieces.empty() && pieces.back().kind == Piece::Kind::Separator &&
         (pieces.back().separator == ' ' || pieces.back().separator == ',')) {
    pieces.pop_back();
  }
  while (!pieces.empty() && pieces.front().IsSeparator(' ')) pieces.erase(pieces.begin());
  if (!pieces.empty() && pieces.front().kind == Piece::Kind::Separator) {
    return std::nullopt;
  }
  return pieces;
}

// 1..12 for an English month name or its first three letters ("sept" too).
int MonthFromWord(std::string_view word) {
  for (size_t m = 0; m < kMonthNames.size(); ++m) {
    std::string name = LCase(kMonthNames[m]);
    if (word == name || word == name.substr(0, 3) || (m == 8 && word == "sept")) {
      return static_cast<int>(m) + 1;
    }
  }
  return 0;
}

bool IsWeekdayWord(std::string_view word) {
  for (std::string_view day : kDayNames) {
    std::string name = LCase(day);
    if (word == name || word == name.substr(0, 3)) return true;
  }
  return false;
}

struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
};

// Reads "9", "9:05" or "9:05:30" and an optional designator from
// pieces[first..]; on success `end` is the piece after the time.
std::optional<TimeOfDay> ReadTime(const std::vector<Piece>& pieces, size_t first,
                                  size_t& end) {
  std::array<int, 3> values{};
  size_t count = 0;
  size_t i = first;
  while (count < 3 && i < pieces.size() && pieces[i].kind == Piece::Kind::Number &&
         pieces[i].digits <= 2) {
    values[count++] = pieces[i].value;
    ++i;
    if (count < 3 && i + 1 < pieces.size() && pieces[i].IsSeparator(':') &&
        pieces[i + 1].kind == Piece::Kind::Number) {
      ++i;
    } else {
      break;
    }
  }
  if (count == 0) return std::nullopt;
  size_t next = i;
  if (next < pieces.size() && pieces[next].IsSeparator(' ')) ++next;
  bool am =
      next < pieces.size() && (pieces[next].IsWord("am") || pieces[next].IsWord("a"));
  bool pm =
      next < pieces.size() && (pieces[next].IsWord("pm") || pieces[next].IsWord("p"));
  if (count == 1 && !am && !pm) return std::nullopt;  // a bare number is no time
  TimeOfDay t{values[0], values[1], values[2]};
  if (t.minute > 59 || t.second > 59) return std::nullopt;
  if (am || pm) {
    if (t.hour < 1 || t.hour > 12) return std::nullopt;
    t.hour = t.hour % 12 + (pm ? 12 : 0);
    i = next + 1;
  } else if (t.hour > 23) {
    return std::nullopt;
  }
  end = i;
  return t;
}

enum class Part { Day, Month, Year };

// The order of day, month and year in the regional short date.
std::array<Part, 3> RegionalOrder() {
  std::vector<Part> order;
  for (const PictureToken& t : TokenizePicture(Regional().short_date)) {
    std::optional<Part> part;
    if (t.field == Field::Day) part = Part::Day;
    if (t.field == Field::Month) part = Part::Month;
    if (t.field == Field::Year) part = Part::Year;
    if (part && std::find(order.begin(), order.end(), *part) == order.end()) {
      order.push_back(*part);
    }
  }
  if (order.size() != 3) return {Part::Month, Part::Day, Part::Year};
  return {order[0], order[1], order[2]};
}

int WindowedYear(const Piece& p) {
  if (p.digits > 2) return p.value;
  return p.value < 30 ? 2000 + p.value : 1900 + p.value;
}

struct CalendarDay {
  int year = 0, month = 0, day = 0;
};

// Reads the date pieces (numbers, at most one month name, separators).
std::optional<CalendarDay> ReadCalendarDay(std::vector<Piece> pieces) {
  if (!pieces.empty() && pieces.front().kind == Piece::Kind::Word &&
      IsWeekdayWord(pieces.front().word)) {
    pieces.erase(pieces.begin());
    if (!pieces.empty() && pieces.front().kind == Piece::Kind::Separator) {
      pieces.erase(pieces.begin());
    }
  }
  if (pieces.empty() || pieces.front().kind == Piece::Kind::Separator)
    return std::nullopt;
  std::vector<const Piece*> numbers;
  std::vector<char> separators;
  int month_word = 0;
  size_t month_position = 0;
  for (const Piece& p : pieces) {
    switch (p.kind) {
      case Piece::Kind::Number:
        numbers.push_back(&p);
        break;
      case Piece::Kind::Word:
        if (month_word != 0) return std::nullopt;
        month_word = MonthFromWord(p.word);
        if (month_word == 0) return std::nullopt;
        month_position = numbers.size();
        break;
      case Piece::Kind::Separator:
        if (p.separator == ':') return std::nullopt;
        separators.push_back(p.separator);
        break;
    }
  }

  CalendarDay day;
  auto this_year = [] { return Year(Today()); };
  if (month_word != 0) {
    day.month = month_word;
    if (numbers.size() == 2) {
      // "March 7, 2009", "7 March 2009", "2009 March 7"
      bool year_first = month_position == 1 && numbers[0]->digits > 2;
      if (month_position == 2) return std::nullopt;
      day.day = numbers[year_first ? 1 : 0]->value;
      day.year = WindowedYear(*numbers[year_first ? 0 : 1]);
    } else if (numbers.size() == 1) {
      // "7 March" is in this year; "March 2009" is its first day.
      if (numbers[0]->digits > 2) {
        day.year = numbers[0]->value;
        day.day = 1;
      } else {
        day.day = numbers[0]->value;
        day.year = this_year();
      }
    } else {
      return std::nullopt;
    }
  } else {
    if (numbers.size() < 2 || numbers.size() > 3) return std::nullopt;
    for (char s : separators) {
      if (s != separators.front() || (s != '/' && s != '-' && s != '.'))
        return std::nullopt;
    }
    if (separators.size() != numbers.size() - 1) return std::nullopt;
    std::array<Part, 3> order = RegionalOrder();
    if (numbers.size() == 3) {
      if (numbers[0]->digits > 2) order = {Part::Year, Part::Month, Part::Day};
      for (size_t k = 0; k < 3; ++k) {
        const Piece& p = *numbers[k];
        if (order[k] == Part::Year) day.year = WindowedYear(p);
        if (order[k] == Part::Month) day.month = p.value;
        if (order[k] == Part::Day) day.day = p.value;
      }
    } else {
      if (separators.front() == '.') return std::nullopt;  // "1.5" is a number
      if (numbers[0]->digits > 2 || numbers[1]->digits > 2) {
        // "3/2009": a month and its year
        bool year_first = numbers[0]->digits > 2;
        day.year = numbers[year_first ? 0 : 1]->value;
        day.month = numbers[year_first ? 1 : 0]->value;
        day.day = 1;
      } else {
        // "3/7": a month and day of this year, in the regional order
        auto month_at = std::find(order.begin(), order.end(), Part::Month);
        auto day_at = std::find(order.begin(), order.end(), Part::Day);
        size_t month_index = month_at < day_at ? 0 : 1;
        day.month = numbers[month_index]->value;
        day.day = numbers[1 - month_index]->value;
        day.year = this_year();
      }
    }
  }
  if (day.year < 100 || day.year > 9999 || day.month < 1 || day.month > 12 ||
      day.day < 1 || day.day > DaysInMonth(day.year, day.month)) {
    return std::nullopt;
  }
  return day;
}

}  // namespace

DateInterval ParseInterval(std::string_view code) {
  static constexpr std::pair<std::string_view, DateInterval> kCodes[] = {
      {"yyyy", DateInterval::Year}, {"q", DateInterval::Quarter},
      {"m", DateInterval::Month},   {"y", DateInterval::DayOfYear},
      {"d", DateInterval::Day},     {"w", DateInterval::Weekday},
      {"ww", DateInterval::Week},   {"h", DateInterval::Hour},
      {"n", DateInterval::Minute},  {"s", DateInterval::Second}};
  std::string lower = LCase(code);
  for (const auto& [name, interval] : kCodes) {
    if (lower == name) return interval;
  }
  throw InvalidProcedureCallError();
}

const RegionalFormats& CurrentRegionalFormats() { return Regional(); }
void SetRegionalFormats(RegionalFormats formats) { Regional() = std::move(formats); }

std::string FormatDate(Date d, std::string_view format) {
  std::string name = LCase(format);
  const RegionalFormats& r = Regional();
  if (name.empty() || name == "general date") return GeneralDateText(d);
  if (name == "long date") return LongDateText(d);
  if (name == "short date") return ShortDateText(d);
  if (name == "long time") return FormatPicture(d, r.time, Nesting::Inner);
  if (name == "medium time") return FormatPicture(d, "hh:mm AM/PM", Nesting::Inner);
  if (name == "short time") return FormatPicture(d, "HH:mm", Nesting::Inner);
  return FormatPicture(d, format, Nesting::Top);
}

std::string GeneralDateText(Date d) {
  DateParts p = SplitDate(d);
  const RegionalFormats& r = Regional();
  if (p.year == 1899 && p.month == 12 && p.day == 30) {
    return FormatPicture(d, r.time, Nesting::Inner);
  }
  std::string date = FormatPicture(d, r.short_date, Nesting::Inner);
  if (p.hour == 0 && p.minute == 0 && p.second == 0) return date;
  return date + " " + FormatPicture(d, r.time, Nesting::Inner);
}

std::string LongDateText(Date d) {
  return FormatPicture(d, Regional().long_date, Nesting::Inner);
}
std::string ShortDateText(Date d) {
  return FormatPicture(d, Regional().short_date, Nesting::Inner);
}

std::string SortableDateText(Date d) {
  DateParts p = SplitDate(d);
  return std::to_string(p.year) + '\t' + std::to_string(p.month) + '\t' +
         std::to_string(p.day) + '\t' + std::to_string(p.hour) + '\t' +
         std::to_string(p.minute);
}

std::optional<Date> ReadSortableDateText(std::string_view text) {
  std::array<int, 5> values{};
  size_t count = 0;
  size_t start = 0;
  while (true) {
    size_t tab = text.find('\t', start);
    std::string_view field =
        text.substr(start, tab == std::string_view::npos ? tab : tab - start);
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    if (count == values.size() || field.empty() || field.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : field) {
      if (!IsDigit(c)) return std::nullopt;
      value = value * 10 + (c - '0');
    }
    values[count++] = value;
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  auto [year, month, day, hour, minute] = values;
  if (count < 3 || year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour > 23 || minute > 59) {
    return std::nullopt;
  }
  return MakeDate({year, month, day, hour, minute, 0});
}

std::optional<Date> ParseDate(std::string_view text) {
  std::optional<std::vector<Piece>> split = SplitPieces(text);
  if (!split || split->empty()) return std::nullopt;
  std::vector<Piece>& pieces = *split;

  // The time is the number before the first colon, or a number with a
  // designator ("9 PM"); the date is what stands before and after it.
  std::optional<TimeOfDay> time;
  size_t time_first = pieces.size();
  size_t time_end = pieces.size();
  for (size_t k = 0; k < pieces.size(); ++k) {
    bool colon_follows = k + 1 < pieces.size() && pieces[k + 1].IsSeparator(':');
    bool designator_follows = false;
    for (size_t j = k + 1; j < pieces.size() && j <= k + 2; ++j) {
      if (pieces[j].kind == Piece::Kind::Word) {
        const std::string& w = pieces[j].word;
        designator_follows = w == "am" || w == "pm" || w == "a" || w == "p";
        break;
      }
      if (!pieces[j].IsSeparator(' ')) break;
    }
    if (pieces[k].kind != Piece::Kind::Number || !(colon_follows || designator_follows)) {
      continue;
    }
    time = ReadTime(pieces, k, time_end);
    if (!time) return std::nullopt;
    time_first = k;
    break;
  }

  std::vector<Piece> date_pieces(pieces.begin(), pieces.begin() + time_first);
  if (time) {
    // "2009-03-07T09:05:00" and "2009-03-07 09:05" join date and time by T or a space.
    if (date_pieces.size() > 1 &&
        (date_pieces.back().IsWord("t") || date_pieces.back().IsSeparator(' ') ||
         date_pieces.back().IsSeparator(','))) {
      date_pieces.pop_back();
    }
    if (time_end < pieces.size()) {
      if (!date_pieces.empty()) return std::nullopt;  // a date on both sides
      if (!pieces[time_end].IsSeparator(' ') && !pieces[time_end].IsSeparator(',')) {
        return std::nullopt;
      }
      date_pieces.assign(pieces.begin() + time_end + 1, pieces.end());
    }
  }

  TimeOfDay t = time.value_or(TimeOfDay{});
  if (date_pieces.empty()) {
    if (!time) return std::nullopt;
    return TimeSerial(t.hour, t.minute, t.second);
  }
  std::optional<CalendarDay> day = ReadCalendarDay(std::move(date_pieces));
  if (!day) return std::nullopt;
  return MakeDate({day->year, day->month, day->day, t.hour, t.minute, t.second});
}

bool IsDate(std::string_view text) { return ParseDate(text).has_value(); }

}  // namespace zanvoro
