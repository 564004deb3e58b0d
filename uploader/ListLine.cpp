#include "uploader/ListLine.h"

#include "uploader/DisplayFormats.h"

std::u16string ParentLine(const std::u16string& curDir) {
  return curDir == u"/" ? kRootParentLine : kParentLine;
}

std::u16string EntryLine(const FTPFile& entry) {
  const std::u16string date = FormatListDate(entry.FileDate);
  if (entry.FileType == 16) return kDirectoryTag + entry.FileName + u"\t \t" + date;
  return kFileTag + entry.FileName + u'\t' + FormatFileSize(entry.FileSize) + u'\t' + date;
}

std::u16string LineTag(const std::u16string& line) { return line.substr(0, 2); }

std::u16string LineName(const std::u16string& line) {
  if (line.size() <= 2) return {};
  const size_t tab = line.find(u'\t', 2);
  return line.substr(2, tab == std::u16string::npos ? std::u16string::npos : tab - 2);
}
