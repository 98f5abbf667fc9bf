#include "host/mail/MimeReading.h"

#include <ctime>
#include <string>

#include "host/mail/Charsets.h"
#include "runtime/Text.h"

namespace zanvoro::host {

namespace {

std::string ParameterOf(const vmime::bodyPart& part, const char* field_name,
                        const char* name) {
  auto field = part.getHeader()->findField<vmime::parameterizedHeaderField>(field_name);
  if (!field) return {};
  auto param = field->findParameter(name);
  if (!param) return {};
  const vmime::word& value = param->getValue();
  // Some clients put encoded words inside the quotes instead of using RFC 2231.
  if (value.getBuffer().find("=?") != std::string::npos) {
    auto decoded = vmime::text::decodeAndUnfold(value.getBuffer());
    return TextOf(*decoded);
  }
  return TextOf(value);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> RawHeaderFields(
    std::string_view rfc5322) {
  std::vector<std::pair<std::string, std::string>> fields;
  size_t pos = 0;
  while (pos < rfc5322.size()) {
    size_t eol = rfc5322.find('\n', pos);
    if (eol == std::string_view::npos) eol = rfc5322.size();
    std::string_view line = rfc5322.substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = eol + 1;
    if (line.empty()) break;
    if (line[0] == ' ' || line[0] == '\t') {
      if (fields.empty()) break;
      fields.back().second += ' ';
      fields.back().second += Trim(std::string(line.substr(1)));
      continue;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) break;
    std::string_view name = line.substr(0, colon);
    if (name.find_first_of(" \t") != std::string_view::npos) break;
    fields.emplace_back(std::string(name), std::string(line.substr(colon + 1)));
  }
  for (auto& [name, value] : fields) {
    size_t a = value.find_first_not_of(" \t");
    size_t b = value.find_last_not_of(" \t");
    value = a == std::string::npos ? std::string() : value.substr(a, b - a + 1);
  }
  return fields;
}

std::string RawField(const std::vector<std::pair<std::string, std::string>>& fields,
                     std::string_view name) {
  for (const auto& [n, v] : fields)
    if (TextEquals(n, name)) return v;
  return {};
}

std::string TextOf(const vmime::word& word) {
  std::string text = DecodeToUtf8(word.getBuffer(), word.getCharset().getName());
  // A NUL in a header is never meant; it would cut the text short downstream.
  std::erase(text, '\0');
  return text;
}

std::string TextOf(const vmime::text& text) {
  std::string out;
  for (const auto& word : text.getWordList()) out += TextOf(*word);
  return out;
}

std::string MediaTypeOf(const vmime::bodyPart& part) {
  auto field =
      part.getHeader()->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
  if (!field) return "text/plain";
  auto type = field->getValue<vmime::mediaType>();
  if (!type || type->getType().empty()) return "text/plain";
  return LCase(type->getType() + "/" + type->getSubType());
}

std::string ContentTypeParameter(const vmime::bodyPart& part, const char* name) {
  return ParameterOf(part, vmime::fields::CONTENT_TYPE, name);
}

std::string DispositionParameter(const vmime::bodyPart& part, const char* name) {
  return ParameterOf(part, vmime::fields::CONTENT_DISPOSITION, name);
}

std::string DispositionOf(const vmime::bodyPart& part) {
  auto field = part.getHeader()->findField(vmime::fields::CONTENT_DISPOSITION);
  if (!field) return {};
  auto value = field->getValue<vmime::contentDisposition>();
  return value ? LCase(value->getName()) : std::string();
}

std::string DecodedBytes(const vmime::bodyPart& part) {
  std::string out;
  vmime::utility::outputStreamStringAdapter os(out);
  part.getBody()->getContents()->extract(os);
  return out;
}

std::optional<Date> LocalDateOf(const vmime::datetime& when) {
  std::tm tm{};
  tm.tm_year = when.getYear() - 1900;
  tm.tm_mon = when.getMonth() - 1;
  tm.tm_mday = when.getDay();
  tm.tm_hour = when.getHour();
  tm.tm_min = when.getMinute();
  tm.tm_sec = when.getSecond();
  if (when.getYear() < 1601 || when.getYear() > 9999 || when.getMonth() < 1 ||
      when.getMonth() > 12 || when.getDay() < 1 || when.getDay() > 31)
    return std::nullopt;
  std::time_t utc = timegm(&tm) - static_cast<std::time_t>(when.getZone()) * 60;
  std::tm local{};
  if (!localtime_r(&utc, &local)) return std::nullopt;
  return MakeDate(DateParts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                            local.tm_hour, local.tm_min, local.tm_sec});
}

vmime::datetime MimeDateOf(Date local) {
  DateParts p = SplitDate(local);
  std::tm tm{};
  tm.tm_year = p.year - 1900;
  tm.tm_mon = p.month - 1;
  tm.tm_mday = p.day;
  tm.tm_hour = p.hour;
  tm.tm_min = p.minute;
  tm.tm_sec = p.second;
  tm.tm_isdst = -1;
  std::time_t t = mktime(&tm);
  std::tm back{};
  localtime_r(&t, &back);
  int zone_minutes = static_cast<int>(back.tm_gmtoff / 60);
  return vmime::datetime(p.year, p.month, p.day, p.hour, p.minute, p.second,
                         zone_minutes);
}

}  // namespace zanvoro::host
