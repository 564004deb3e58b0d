// Turns a listing into search entries while its bytes arrive: splits the lines, parses each in
// the listing's format, converts each name from its wire form to CP932, and keeps the entries
// that match the search pattern and fit FindData. Nothing of the raw listing is kept beyond
// the line being received.
#pragma once

#include <string>
#include <string_view>

#include "platform/inet/FileTime.h"
#include "platform/inet/ListingParser.h"
#include "platform/inet/ListingStore.h"
#include "platform/inet/WireNames.h"

namespace inet {

class ListingCollector {
 public:
  // Lines longer than this are no listing line any server prints (names end at 259 CP932
  // bytes); such a line is skipped whole.
  static constexpr size_t kMaxLineBytes = 16 * 1024;

  // `pattern`: the name part of the search (CP932); "*", "*.*" or empty keep every entry.
  // `now` dates the year-less times of LIST lines. Entries go to `store`.
  ListingCollector(const WireNames& names, std::string pattern, const CivilTime& now,
                   ListingStore& store);

  // The next bytes of a listing in `format`.
  void feed(ListingFormat format, std::string_view bytes);
  // The end of the listing: a last line without a line end still counts.
  void finish(ListingFormat format);

  // An entry that came parsed (SFTP): kept like a parsed line's, when its name converts to
  // CP932, fits FindData and matches the pattern.
  void add(const ListingEntry& entry);

 private:
  void takeLine(ListingFormat format, std::string_view line);

  const WireNames& m_names;
  std::string m_pattern;
  bool m_all;
  CivilTime m_now;
  ListingStore& m_store;
  std::string m_partial;    // the line being received
  bool m_overlong = false;  // the line being received is skipped
};

}  // namespace inet
