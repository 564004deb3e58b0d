#include "platform/inet/ListingCollector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace inet {
namespace {

// Feeds an MLSD `listing` in pieces of `step` bytes; every stored entry as
// "name size dir|file dated|undated".
std::vector<std::string> collect(const std::string& listing, size_t step,
                                 const std::string& pattern = "*.*") {
  WireNames names;
  names.setUtf8(true);
  ListingStore store;
  ListingCollector collector(names, pattern, CivilTime{2024, 3, 10}, store);
  for (size_t at = 0; at < listing.size(); at += step) {
    collector.feed(ListingFormat::Mlsd, std::string_view(listing).substr(at, step));
  }
  collector.finish(ListingFormat::Mlsd);
  std::vector<std::string> kept;
  FindData data;
  while (store.next(&data)) {
    kept.push_back(std::string(data.cFileName) + " " +
                   std::to_string((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow) +
                   (data.dwFileAttributes == kFileAttributeDirectory ? " dir" : " file") +
                   (data.ftLastWriteTime.dwHighDateTime != 0 ? " dated" : " undated"));
  }
  EXPECT_EQ(kept.size(), store.count());
  return kept;
}

TEST(ListingCollector, LinesSplitAnywhereGiveTheSameEntriesInOrder) {
  const std::string listing =
      "type=dir;modify=20040307090500; pub\r\n"
      "type=file;size=5368709120; big file.iso\r\n"
      "no-space-so-no-name\r\n"
      "type=file;size=0; empty\n"
      "type=file;size=7; last-without-line-end";
  for (size_t step : {1, 2, 7, 4096}) {
    EXPECT_EQ(
        collect(listing, step),
        (std::vector<std::string>{"pub 0 dir dated", "big file.iso 5368709120 file undated",
                                  "empty 0 file undated", "last-without-line-end 7 file undated"}))
        << step;
  }
}

TEST(ListingCollector, KeepsOnlyNamesThatMatchAndFitFindData) {
  const std::string fits(259, 'a');
  const std::string listing = "type=file; " + fits + "\r\ntype=file; " + fits +
                              "b\r\ntype=file; 日報.csv\r\ntype=file; notes.txt\r\n" +
                              "type=file; " + std::string(20000, 'x') + "\r\ntype=file; ok.CSV\r\n";
  // 260 bytes and a 20 KB line are left out; UTF-8 from the wire is CP932 here.
  EXPECT_EQ(
      collect(listing, 1000, ""),
      (std::vector<std::string>{fits + " 0 file undated", "\x93\xfa\x95\xf1.csv 0 file undated",
                                "notes.txt 0 file undated", "ok.CSV 0 file undated"}));
  EXPECT_EQ(
      collect(listing, 1000, "*.csv"),
      (std::vector<std::string>{"\x93\xfa\x95\xf1.csv 0 file undated", "ok.CSV 0 file undated"}));
}

}  // namespace
}  // namespace inet
