// The local path a download is saved under: the chosen folder and the remote entry's name.
#pragma once

#include <optional>
#include <string>

// True when `name` can be used as a file name inside the chosen folder: not empty, not "." or
// "..", and without "/" or "\". A listing comes from the server, so its names must not choose
// where on the local disk a file is written.
bool IsSafeDownloadName(const std::u16string& name);

// `folder` + "/" + `name`, without a second "/" when `folder` already ends in one; nullopt when
// the name is not safe (see IsSafeDownloadName).
std::optional<std::u16string> DownloadPath(const std::u16string& folder,
                                           const std::u16string& name);

// The message shown when a download is refused for its name.
std::u16string UnsafeDownloadNameMessage(const std::u16string& name);
