// The lines of the remote file list, held compactly for the window's list. Neighbouring lines
// of a listing share most of their text (the tag, often the start of the name, the size and
// date columns), so each line is kept as what differs from the line before it: the lengths of
// the shared start and end, and the text between them (UTF-8, or the UTF-16 units when it has
// no UTF-8 form). Every 32nd line is kept whole, so any line is rebuilt from at most 32
// records. A line costs a few bytes beyond the text the server sent for its entry, however
// many lines there are; a toolkit's own list item costs some 240 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class ListLines {
 public:
  void clear();
  void append(const std::u16string& line);  // any UTF-16, lone surrogates included
  size_t size() const { return m_count; }
  std::u16string line(size_t index) const;  // index < size()

 private:
  struct Place {
    uint32_t block;
    uint32_t offset;
  };

  std::vector<std::string> m_blocks;  // records one after another, none across two blocks
  std::deque<Place> m_groups;         // where each run of 32 lines starts
  size_t m_count = 0;
  std::u16string m_last;  // the line appended last, which the next one is told against
};
