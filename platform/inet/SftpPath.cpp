#include "platform/inet/SftpPath.h"

namespace inet {

std::string JoinRemotePath(std::string_view directory, std::string_view name) {
  if (name.empty()) return std::string(directory);
  if (name.front() == '/') return std::string(name);
  std::string path(directory);
  if (path.empty() || path.back() != '/') path.push_back('/');
  path.append(name);
  return path;
}

bool IsPlainEntryName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("/\r\n\0", 4)) == std::string_view::npos;
}

}  // namespace inet
