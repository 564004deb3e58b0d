// Remote paths of SFTP, which has no current directory on the server: the session keeps one
// itself and joins relative names to it. Pure.
#pragma once

#include <string>
#include <string_view>

namespace inet {

// `name` as the server takes it: absolute names as they are, relative ones below `directory`
// (an absolute path), the empty name for `directory` itself.
std::string JoinRemotePath(std::string_view directory, std::string_view name);

// True for a name a listing may hand out as an entry: not empty, not "." or "..", and without
// "/", NUL, CR or LF (a server's name must not reach another folder, nor break a line).
bool IsPlainEntryName(std::string_view name);

}  // namespace inet
