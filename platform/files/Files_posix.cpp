// File system services over POSIX: pattern matching on UTF-16 names, stat for file kinds.
#include "platform/files/Files.h"
#include "platform/files/SystemErrors.h"

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

// A path this process may not look into (a folder on it without search permission, such as
// another user's home) may well hold the file: it counts, so that opening it later fails with
// the system's own reason instead of a "does not exist" that sends the user looking for a file
// that is there.
bool isRegularFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == EACCES;
  return S_ISREG(st.st_mode);  // follows links
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

std::u16string FileNamePart(const std::u16string& path) {
  const size_t cut = path.find_last_of(u'/');
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::u16string SystemErrorWording(int errorNumber) {
  char buf[256];
  return FromFileSystemPath(::strerror_r(errorNumber, buf, sizeof buf));  // GNU: may be a literal
}

bool IsDiskFullError(int errorNumber) { return errorNumber == ENOSPC || errorNumber == EDQUOT; }

}  // namespace files
