// File system services over POSIX: pattern matching on UTF-16 names, stat for file kinds.
#include "platform/files/Files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace files {
namespace {

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);  // follows links
}

bool isHidden(std::u16string_view name) { return !name.empty() && name.front() == u'.'; }

bool hasWildcards(std::u16string_view name) {
  return name.find_first_of(u"*?") != std::u16string_view::npos;
}

// "*" matches any run of characters, "?" exactly one; everything else itself, case-sensitively
// as the file system compares names. Greedy with one backtrack point: linear in practice.
bool wildcardMatch(std::u16string_view pattern, std::u16string_view name) {
  size_t p = 0, n = 0;
  size_t starP = std::u16string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

// As on the platform, a pattern ending in ".*" also matches names without any extension, so
// "*.*" matches every name and "report.*" matches "report".
bool nameMatches(std::u16string_view pattern, std::u16string_view name) {
  if (wildcardMatch(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == u".*") {
    return wildcardMatch(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

bool anyEntryMatches(const std::string& folder, std::u16string_view pattern) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return false;
  const std::string prefix = folder == "/" ? folder : folder + "/";
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::u16string name = FromFileSystemPath(entry->d_name);
    if (isHidden(name) || !nameMatches(pattern, name)) continue;
    if (isRegularFile(prefix + entry->d_name)) return true;
  }
  return false;
}

}  // namespace

bool NormalFileExists(const std::u16string& pattern) {
  if (pattern.empty()) return false;
  const size_t slash = pattern.rfind(u'/');
  const std::u16string name = slash == std::u16string::npos ? pattern : pattern.substr(slash + 1);
  if (name.empty() || isHidden(name)) return false;
  if (!hasWildcards(name)) return isRegularFile(ToFileSystemPath(pattern));
  std::u16string folder = u".";
  if (slash != std::u16string::npos) folder = slash == 0 ? u"/" : pattern.substr(0, slash);
  return anyEntryMatches(ToFileSystemPath(folder), name);
}

std::u16string ExecutableFolder() {
  std::vector<char> buf(4096);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buf.size()) {
      const std::string path(buf.data(), static_cast<size_t>(n));
      return FromFileSystemPath(path.substr(0, path.rfind('/')));
    }
    buf.resize(buf.size() * 2);  // the link may have been cut off: try a larger buffer
  }
}

std::u16string PathSeparator() { return u"/"; }

std::u16string FileErrorText(int errorNumber) {
  struct Text {
    int number;
    std::u16string_view text;
  };
  static constexpr Text kTexts[] = {
      {EACCES, u"アクセスが拒否されました"},
      {EPERM, u"アクセスが拒否されました"},
      {ENOENT, u"ファイルまたはフォルダーが見つかりません"},
      {ENOTDIR, u"パスの途中にフォルダーでないものがあります"},
      {EISDIR, u"同じ名前のフォルダーがあります"},
      {EROFS, u"読み取り専用の場所です"},
      {ENOSPC, u"ディスクの空き容量が足りません"},
      {EDQUOT, u"ディスクの空き容量が足りません"},
      {EIO, u"入出力エラーが発生しました"},
      {ENAMETOOLONG, u"パスが長すぎます"},
  };
  std::u16string text = u"ファイル操作に失敗しました";
  for (const Text& t : kTexts) {
    if (t.number == errorNumber) text = t.text;
  }
  char buf[256];
  const char* system = ::strerror_r(errorNumber, buf, sizeof buf);  // GNU: may return a literal
  return text + u" (" + FromFileSystemPath(system) + u")";
}

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ToFileSystemPath(const std::u16string& path) {
  std::string out;
  out.reserve(path.size() * 3);
  for (size_t i = 0; i < path.size(); ++i) {
    char32_t cp = path[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < path.size() && path[i + 1] >= 0xDC00 &&
        path[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (path[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | cp >> 6));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | cp >> 12));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | cp >> 18));
      out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::u16string FromFileSystemPath(const std::string& path) {
  std::u16string out;
  out.reserve(path.size());
  size_t i = 0;
  while (i < path.size()) {
    const uint8_t b = static_cast<uint8_t>(path[i]);
    const size_t len = b < 0x80                 ? 1
                       : b >= 0xC2 && b <= 0xDF ? 2
                       : b >= 0xE0 && b <= 0xEF ? 3
                       : b >= 0xF0 && b <= 0xF4 ? 4
                                                : 0;
    char32_t cp = len == 1 ? b : len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
    size_t k = 1;
    for (; len > 1 && k < len && i + k < path.size(); ++k) {
      const uint8_t c = static_cast<uint8_t>(path[i + k]);
      if ((c & 0xC0) != 0x80) break;
      cp = cp << 6 | (c & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8 either.
    const bool valid = len != 0 && k == len && !(len == 3 && cp < 0x800) &&
                       !(len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) &&
                       !(cp >= 0xD800 && cp <= 0xDFFF);
    if (!valid) {
      out.push_back(u'\uFFFD');  // a name that is not UTF-8: one replacement per bad byte
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

}  // namespace files
