#include "uploader/SampleListLines.h"

#include "uploader/ListLine.h"

namespace {

FTPFile entry(const char16_t* name, double size, int32_t type) {
  FTPFile file;
  file.FileName = name;
  file.FileSize = size;
  file.FileDate = {2026, 12, 7, 9, 5, 0};
  file.FileType = type;
  return file;
}

}  // namespace

std::vector<std::u16string> SampleListLines() {
  const FTPFile entries[] = {
      entry(u"public_html", 0, 16),
      entry(u"バックアップ", 0, 16),
      entry(u"index.html", 1234567, 0),
      entry(u"報告書 2026年12月.pdf", 58213, 0),
      entry(u"261207090500", 20480, 0),
      entry(u"empty.txt", 0, 0),
      entry(u"a-rather-long-file-name-for-the-list.tar.gz", 987654321, 0),
  };
  std::vector<std::u16string> lines{kRootParentLine};
  for (const FTPFile& e : entries) lines.push_back(EntryLine(e));
  return lines;
}
