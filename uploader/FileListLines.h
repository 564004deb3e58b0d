// The lines of the remote file list for the session's current directory: the parent line, then
// one line per entry in the order the server lists them.
#pragma once

#include <functional>
#include <string>

#include "ftp/McWinFTP.h"

// Reads CurDir() for the parent line, then lists "*.*" with FindFile / NextFile, handing each
// line to `addLine` as soon as it is made, so a long listing is never held twice. A failure is
// reported by the session (FTPFrr) and ends the listing at once: a failed start leaves the
// parent line alone, a NextFile failure keeps the lines read so far and does not repeat the
// last entry. Nothing is filtered or sorted.
void FileListLines(McWinFTP& clsFtp, const std::function<void(const std::u16string&)>& addLine);
