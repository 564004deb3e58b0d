// The lines of the remote file list: a two-character tag, then for entries the name, size and
// date separated by TAB. The commands read the tag and the name back from the selected line.
#pragma once

#include <string>

#include "ftp/FTPFile.h"

inline constexpr char16_t kRootParentLine[] = u". ";  // the parent line at the root
inline constexpr char16_t kParentLine[] = u"..";      // the parent line elsewhere
inline constexpr char16_t kDirectoryTag[] = u"D ";
inline constexpr char16_t kFileTag[] = u"F ";

// The parent line for the directory `curDir`: ". " when it is exactly "/", else "..".
std::u16string ParentLine(const std::u16string& curDir);

// "D " name TAB " " TAB date when FileType is exactly 16, else "F " name TAB size TAB date.
std::u16string EntryLine(const FTPFile& entry);

// The first two characters of `line` (fewer when it is shorter); "" for no selection.
std::u16string LineTag(const std::u16string& line);

// The name of an entry line: from the third character up to, not including, the first TAB (to
// the end when there is none).
std::u16string LineName(const std::u16string& line);
