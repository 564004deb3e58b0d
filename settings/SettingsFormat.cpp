// The settings file's layout: the record line through MduCsv, and a field scanner over bytes.
#include "settings/SettingsFormat.h"

#include <vector>

#include "platform/codepage/CodePage.h"
#include "settings/MduCsv.h"

namespace {

constexpr std::string_view kDelimiters = ",\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Reads fields one after another. Scanning bytes is safe in CP932: quotes, commas, blanks and
// line ends are never trail bytes of a double-byte character.
class FieldScanner {
 public:
  explicit FieldScanner(std::string_view bytes) : m_bytes(bytes) {}

  // The next field's bytes, or nullopt when the input ends before the field is complete.
  std::optional<std::string> next() {
    while (m_pos < m_bytes.size() && isBlank(m_bytes[m_pos])) ++m_pos;
    if (m_pos >= m_bytes.size()) return std::nullopt;
    if (m_bytes[m_pos] == '"') return quoted();
    return unquoted();
  }

 private:
  std::optional<std::string> quoted() {
    std::string value;
    size_t pos = m_pos + 1;
    for (;;) {
      const size_t quote = m_bytes.find('"', pos);
      if (quote == std::string_view::npos) return std::nullopt;  // never closed
      value.append(m_bytes.substr(pos, quote - pos));
      if (quote + 1 < m_bytes.size() && m_bytes[quote + 1] == '"') {
        value.push_back('"');
        pos = quote + 2;
        continue;
      }
      pos = quote + 1;
      break;
    }
    // Whatever stands between the closing quote and the delimiter is not part of the value.
    skipDelimiter(m_bytes.find_first_of(kDelimiters, pos));
    return value;
  }

  std::string unquoted() {
    const size_t end = m_bytes.find_first_of(kDelimiters, m_pos);
    std::string_view value =
        m_bytes.substr(m_pos, end == std::string_view::npos ? end : end - m_pos);
    while (!value.empty() && isBlank(value.back())) value.remove_suffix(1);
    skipDelimiter(end);
    return std::string(value);
  }

  // Moves past the delimiter at `at` (CR LF counts as one), or to the end when there is none.
  void skipDelimiter(size_t at) {
    if (at == std::string_view::npos) {
      m_pos = m_bytes.size();
      return;
    }
    m_pos = at + 1;
    if (m_bytes[at] == '\r' && m_pos < m_bytes.size() && m_bytes[m_pos] == '\n') ++m_pos;
  }

  std::string_view m_bytes;
  size_t m_pos = 0;
};

SettingsText unwritable(size_t field, std::u16string_view value) {
  size_t position = 0;
  while (position + 1 < value.size() && codepage::ToAnsiExact(value.substr(position, 1))) {
    ++position;
  }
  return SettingsText{false, {}, field, position};
}

}  // namespace

SettingsText MakeSettingsText(const SettingsRecord& record) {
  MduCsv::TextArray array{1, std::vector<std::u16string>{}};
  for (size_t i = 0; i < kSettingsFields.size(); ++i) {
    const std::u16string& value = record.*kSettingsFields[i];
    if (!codepage::ToAnsiExact(value)) return unwritable(i, value);
    array.items->push_back(value);
  }
  const std::u16string line = MduCsv::MakeCsvLine(array, u",", u"\"") + u"\r\n";
  // Every value is exact, and so are the quotes, commas and line ends around them.
  return SettingsText{true, codepage::ToAnsi(line + line), 0, 0};
}

std::optional<SettingsRecord> ParseSettingsText(std::string_view cp932Bytes) {
  FieldScanner scanner(cp932Bytes);
  SettingsRecord record;
  for (std::u16string SettingsRecord::*field : kSettingsFields) {
    const std::optional<std::string> bytes = scanner.next();
    if (!bytes) return std::nullopt;
    record.*field = codepage::FromAnsi(*bytes);
  }
  return record;
}
