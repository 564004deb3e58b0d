// File system services on the Win32 API. Paths go to the wide (UTF-16) entry points, never
// through the system's ANSI code page; the existence test is the system's own directory search,
// so patterns match as they always have there.
#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/files/Files.h"
#include "platform/files/SystemErrors.h"

namespace files {
namespace {

const wchar_t* wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool NormalFileExists(const std::u16string& pattern) {
  if (pattern.empty()) return false;
  WIN32_FIND_DATAW entry{};
  HANDLE find =
      FindFirstFileExW(wide(pattern), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return false;
  constexpr DWORD kNotNormal =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  bool found = false;
  do {
    found = (entry.dwFileAttributes & kNotNormal) == 0;
  } while (!found && FindNextFileW(find, &entry));
  FindClose(find);
  return found;
}

std::u16string ExecutableFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), buffer.size());
    if (length == 0) return {};
    if (length < buffer.size()) {
      const std::u16string path(reinterpret_cast<const char16_t*>(buffer.data()), length);
      const size_t separator = path.find_last_of(u"\\/");
      return separator == std::u16string::npos ? u"" : path.substr(0, separator);
    }
    buffer.resize(buffer.size() * 2);  // the name was cut off: try a larger buffer
  }
}

std::u16string PathSeparator() { return u"\\"; }

std::u16string FileNamePart(const std::u16string& path) {
  const size_t cut = path.find_last_of(u"\\/:");
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

std::string ParentFolder(const std::string& path) {
  size_t separator = path.size();
  while (separator > 0 && !isSeparator(path[separator - 1])) --separator;
  if (separator == 0) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
  // The root of a drive ("C:\") or of the current drive ("\") keeps its separator.
  const bool root = separator == 1 || (separator == 3 && path[1] == ':');
  return path.substr(0, root ? separator : separator - 1);
}

std::u16string SystemErrorWording(int errorNumber) {
  return FromFileSystemPath(std::strerror(errorNumber));
}

bool IsDiskFullError(int errorNumber) { return errorNumber == ENOSPC; }

}  // namespace files
