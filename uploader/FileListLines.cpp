#include "uploader/FileListLines.h"

#include "uploader/ListLine.h"

void FileListLines(McWinFTP& clsFtp, const std::function<void(const std::u16string&)>& addLine) {
  addLine(ParentLine(clsFtp.CurDir()));
  clsFtp.FindFile(u"*.*");
  while (!clsFtp.RemoteFile().SearchEnd) {
    addLine(EntryLine(clsFtp.RemoteFile()));
    // A failing NextFile leaves SearchEnd false and the record as it was; the event count is
    // the only sign of it, and repeating the call would fail (and report) again.
    const int64_t reported = clsFtp.FTPFrrCount();
    clsFtp.NextFile();
    if (clsFtp.FTPFrrCount() != reported) break;
  }
}
