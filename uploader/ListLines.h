// The lines of the remote file list, held compactly for the window's list: each line as UTF-8
// bytes (its UTF-16 units when it has no UTF-8 form) behind its length, in blocks allocated
// whole, so a directory of millions of entries costs little more than its text (a toolkit's own
// list item costs some 240 bytes per line).
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
  size_t size() const { return m_starts.size(); }
  std::u16string line(size_t index) const;  // index < size()

 private:
  std::vector<std::string> m_blocks;
  std::vector<size_t> m_blockFirstLine;  // the index of each block's first line
  std::deque<uint32_t> m_starts;         // each line's offset in its block
};
