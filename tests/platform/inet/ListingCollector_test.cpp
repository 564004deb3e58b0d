#include "platform/inet/ListingCollector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace inet {
namespace {

struct Kept {
  std::string name;
  uint64_t size;
  bool directory;
  bool dated;
};

// Feeds `listing` in pieces of `step` bytes and reads back every stored entry.
std::vector<Kept> collect(const std::string& listing, size_t step, ListingFormat format,
                          const std::string& pattern = "*.*", bool utf8 = false) {
  WireNames names;
  names.setUtf8(utf8);
  ListingStore store;
  ListingCollector collector(names, pattern, CivilTime{2024, 3, 10}, store);
  for (size_t at = 0; at < listing.size(); at += step) {
    collector.feed(format, std::string_view(listing).substr(at, step));
  }
  collector.finish(format);
  std::vector<Kept> kept;
  FindData data;
  while (store.next(&data)) {
    kept.push_back({data.cFileName,
                    (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                    data.dwFileAttributes == kFileAttributeDirectory,
                    data.ftLastWriteTime.dwHighDateTime != 0});
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
    SCOPED_TRACE(step);
    const std::vector<Kept> kept = collect(listing, step, ListingFormat::Mlsd);
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[0].name, "pub");
    EXPECT_TRUE(kept[0].directory);
    EXPECT_TRUE(kept[0].dated);
    EXPECT_EQ(kept[1].name, "big file.iso");
    EXPECT_EQ(kept[1].size, 5368709120u);
    EXPECT_FALSE(kept[1].dated);
    EXPECT_EQ(kept[2].name, "empty");
    EXPECT_EQ(kept[2].size, 0u);
    EXPECT_EQ(kept[3].name, "last-without-line-end");
  }
}

TEST(ListingCollector, KeepsOnlyNamesThatMatchAndFitFindData) {
  const std::string fits(259, 'a');
  const std::string listing = "type=file; " + fits + "\r\ntype=file; " + fits +
                              "b\r\ntype=file; 日報.csv\r\ntype=file; notes.txt\r\n" +
                              "type=file; " + std::string(20000, 'x') + "\r\ntype=file; ok.CSV\r\n";
  const std::vector<Kept> all = collect(listing, 1000, ListingFormat::Mlsd, "", true);
  ASSERT_EQ(all.size(), 4u);  // 260 bytes and a 20 KB line are left out
  EXPECT_EQ(all[0].name, fits);
  EXPECT_EQ(all[1].name, "\x93\xfa\x95\xf1.csv");  // UTF-8 from the wire, CP932 here
  const std::vector<Kept> csv = collect(listing, 1000, ListingFormat::Mlsd, "*.csv", true);
  ASSERT_EQ(csv.size(), 2u);
  EXPECT_EQ(csv[1].name, "ok.CSV");
}

}  // namespace
}  // namespace inet
