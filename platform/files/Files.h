// File system services the programs use: the existence test for normal files (with * and ?
// patterns in the last path component) and the folder of the running executable.
#pragma once

#include <string>

namespace files {

// True when at least one normal file matches `pattern`: a regular file (or a link to one)
// whose name does not begin with "." (hidden). Directories never count. The last component of
// `pattern` may hold "*" (any run of characters) and "?" (one character); "*.*" matches every
// name, as on the platform. Earlier components are taken literally. An empty pattern matches
// nothing. Texts are UTF-16; the file system is addressed in UTF-8.
bool NormalFileExists(const std::u16string& pattern);

// The folder that holds the running executable, without a trailing separator.
std::u16string ExecutableFolder();

// The platform's path separator as text ("/").
std::u16string PathSeparator();

// A UTF-16 path as the file system's bytes (UTF-8), and back.
std::string ToFileSystemPath(const std::u16string& path);
std::u16string FromFileSystemPath(const std::string& path);

}  // namespace files
