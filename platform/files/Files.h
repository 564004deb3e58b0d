// File system services the programs use: the existence test for normal files (with * and ?
// patterns in the last path component), the folder of the running executable, and paths.
// File contents are read and written through FileIo.h.
#pragma once

#include <string>

namespace files {

// True when at least one normal file matches `pattern`: a regular file (or a link to one)
// whose name does not begin with "." (hidden). Directories never count. The last component of
// `pattern` may hold "*" (any run of characters) and "?" (one character), compared
// case-sensitively as the file system does; a pattern ending in ".*" also matches names without
// an extension, so "*.*" matches every name, as on the platform. Earlier components are taken
// literally; a pattern without a folder looks in the current working directory. An empty
// pattern, one ending in "/", a hidden last component and a missing folder match nothing. A
// literal path that the process may not look at (a folder on it denies search permission)
// counts as a file: only opening it can tell, and that then fails with the system's reason.
// Texts are UTF-16; the file system is addressed in UTF-8.
bool NormalFileExists(const std::u16string& pattern);

// The folder that holds the running executable (from /proc/self/exe), without a trailing
// separator: "" for an executable in "/", and also "" when the link cannot be read.
std::u16string ExecutableFolder();

// The platform's path separator as text ("/").
std::u16string PathSeparator();

// The last component of a path, after its last separator ("/"; on Windows also "\" and a
// drive's ":"); the whole text when it has none.
std::u16string FileNamePart(const std::u16string& path);

// A short Japanese description of a file system error (an errno value) for messages to the
// user, with the system's own wording in parentheses: "アクセスが拒否されました (Permission
// denied)".
std::u16string FileErrorText(int errorNumber);

// The folder part of a file system path: "." for a bare name, "/" for a name in the root.
std::string ParentFolder(const std::string& path);

// A UTF-16 path as the file system's bytes (UTF-8), and back. A lone surrogate becomes U+FFFD
// on the way out; on the way back each byte that is not part of valid UTF-8 becomes U+FFFD.
std::string ToFileSystemPath(const std::u16string& path);
std::u16string FromFileSystemPath(const std::string& path);

}  // namespace files
