// The settings reader: a field scanner over the file's bytes, and the file access around it.
#include "settings/ReadSettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>

#include "platform/codepage/CodePage.h"
#include "platform/files/Files.h"

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

ReadSettingsResult unreadable(std::u16string detail) {
  return ReadSettingsResult{ReadStatus::Unreadable, {}, std::move(detail)};
}

// Reads at most kSettingsFileReadLimit + 1 bytes, so a larger file is recognisable.
std::optional<std::string> readPrefix(int fd, int& error) {
  std::string bytes;
  std::array<char, 64 * 1024> chunk;
  while (bytes.size() <= kSettingsFileReadLimit) {
    const ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(chunk.data(), static_cast<size_t>(n));
  }
  return bytes;
}

}  // namespace

ReadSettingsResult ParseSettingsText(std::string_view cp932Bytes) {
  FieldScanner scanner(cp932Bytes);
  ReadSettingsResult result{ReadStatus::Read, {}, {}};
  SettingsRecord& r = result.record;
  std::u16string* const targets[] = {&r.ServerName, &r.UserId,        &r.ScrambledPassword,
                                     &r.InitialDir, &r.LocalFilePath, &r.RemoteFileName};
  for (std::u16string* target : targets) {
    const std::optional<std::string> field = scanner.next();
    if (!field) return ReadSettingsResult{ReadStatus::EndedEarly, {}, {}};
    *target = codepage::FromAnsi(*field);
  }
  return result;
}

ReadSettingsResult ReadSettingsFile(const std::u16string& folder) {
  const std::string path =
      files::ToFileSystemPath(folder + files::PathSeparator() + kSettingsFileName);
  // O_NONBLOCK: opening a FIFO placed under the file's name must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR)
      return ReadSettingsResult{ReadStatus::NotFound, {}, {}};
    return unreadable(files::FileErrorText(error));
  }
  struct stat st {};
  int error = 0;
  std::optional<std::string> bytes;
  if (::fstat(fd, &st) != 0) {
    error = errno;
  } else if (S_ISREG(st.st_mode)) {
    bytes = readPrefix(fd, error);
  }
  ::close(fd);
  if (error != 0) return unreadable(files::FileErrorText(error));
  if (!bytes) return unreadable(u"通常のファイルではありません");

  const bool tooLarge = bytes->size() > kSettingsFileReadLimit;
  ReadSettingsResult result =
      ParseSettingsText(std::string_view(*bytes).substr(0, kSettingsFileReadLimit));
  if (result.status == ReadStatus::EndedEarly && tooLarge) {
    return unreadable(u"ファイルが大きすぎます (1 MiB を超えています)");
  }
  return result;
}
