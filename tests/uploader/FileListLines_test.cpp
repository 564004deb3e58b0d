// The list lines from a listing that fails part-way (the recording fake, which can fail one
// NextFile call). The line of each entry is the ListLine test's.
#include "uploader/FileListLines.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/fake/FakeInternetApi.h"

namespace {

std::vector<std::u16string> Lines(McWinFTP& ftp) {
  std::vector<std::u16string> lines;
  FileListLines(ftp, [&](const std::u16string& line) { lines.push_back(line); });
  return lines;
}

TEST(FileListLines, NextFileFailureEndsTheListAtOnce) {
  testsupport::FakeInternetApi fake;
  fake.listing = {testsupport::MakeFindData("one"), testsupport::MakeFindData("two"),
                  testsupport::MakeFindData("three")};
  McWinFTP ftp(fake);
  ftp.OpenSession();
  fake.currentDirectory = "/pub";
  fake.failNext("InternetFindNextFileA", inet::kErrorInternetConnectionAborted);

  const std::vector<std::u16string> lines = Lines(ftp);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], u"..");
  EXPECT_EQ(lines[1].substr(0, 6), u"F one\t");
  EXPECT_EQ(ftp.FTPFrrCount(), 1);
  const std::vector<std::string> calls = fake.functions();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "InternetFindNextFileA"), 1);
}

TEST(FileListLines, FailedReadsLeaveTheParentLineAlone) {
  testsupport::FakeInternetApi fake;
  fake.listing = {testsupport::MakeFindData("one")};
  McWinFTP ftp(fake);
  ftp.OpenSession();
  fake.failNext("FtpGetCurrentDirectoryA", inet::kErrorInternetConnectionAborted);
  fake.failNext("FtpFindFirstFileA", inet::kErrorInternetConnectionAborted);
  EXPECT_EQ(Lines(ftp), std::vector<std::u16string>{u".."});
  EXPECT_EQ(ftp.FTPFrrCount(), 2);
}

}  // namespace
