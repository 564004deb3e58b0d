// The entries of an open directory search, held compactly: one record after another in blocks
// of bytes (type, size, time, CP932 name), so a listing costs little more than its names. A
// FindData is filled only for the entry being handed out, in the order the entries came.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/inet/InternetApi.h"
#include "platform/inet/ListingParser.h"

namespace inet {

class ListingStore {
 public:
  // Appends an entry under `ansiName` (CP932 bytes, 1..kMaxPath-1 of them, no NUL).
  void add(const ListingEntry& entry, std::string_view ansiName);

  size_t count() const { return m_count; }

  // Fills `findData` with the next entry not yet handed out; false after the last.
  bool next(FindData* findData);

 private:
  std::vector<std::string> m_blocks;
  size_t m_count = 0;
  size_t m_readBlock = 0;  // where next() continues
  size_t m_readOffset = 0;
};

}  // namespace inet
