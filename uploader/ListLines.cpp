#include "uploader/ListLines.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/inet/Utf8.h"

namespace {

constexpr size_t kBlockBytes = 256 * 1024;
constexpr size_t kGroupLines = 32;

void appendNumber(size_t n, std::string* out) {  // base 128, low digits first
  for (;; n >>= 7) {
    out->push_back(static_cast<char>((n & 0x7F) | (n > 0x7F ? 0x80 : 0)));
    if (n <= 0x7F) return;
  }
}

size_t readNumber(const unsigned char** p) {
  size_t n = 0;
  for (int shift = 0;; shift += 7) {
    const unsigned char digit = *(*p)++;
    n |= static_cast<size_t>(digit & 0x7F) << shift;
    if ((digit & 0x80) == 0) return n;
  }
}

// One record: the shared start's length, the shared end's length, then the text between as
// twice its byte count (plus one for raw UTF-16 units) and its bytes.
std::string makeRecord(const std::u16string& previous, const std::u16string& line) {
  const size_t limit = std::min(previous.size(), line.size());
  size_t start = 0;
  while (start < limit && previous[start] == line[start]) ++start;
  size_t end = 0;
  while (end < limit - start &&
         previous[previous.size() - 1 - end] == line[line.size() - 1 - end]) {
    ++end;
  }
  const std::u16string_view middle(line.data() + start, line.size() - start - end);
  std::optional<std::string> utf8 = inet::Utf16ToUtf8(middle);
  const bool raw = !utf8;
  const std::string bytes =
      raw ? std::string(reinterpret_cast<const char*>(middle.data()), middle.size() * 2)
          : std::move(*utf8);
  std::string record;
  appendNumber(start, &record);
  appendNumber(end, &record);
  appendNumber(bytes.size() * 2 + (raw ? 1 : 0), &record);
  record += bytes;
  return record;
}

// Reads the record at `*p` and rebuilds its line from `previous`.
std::u16string applyRecord(const std::u16string& previous, const unsigned char** p) {
  const size_t start = std::min(readNumber(p), previous.size());
  const size_t end = std::min(readNumber(p), previous.size() - start);
  const size_t header = readNumber(p);
  const size_t length = header / 2;
  std::u16string middle;
  if (header % 2 != 0) {
    middle.resize(length / 2);
    std::memcpy(middle.data(), *p, middle.size() * 2);
  } else {
    middle = inet::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(*p), length))
                 .value_or(std::u16string());
  }
  *p += length;
  return previous.substr(0, start) + middle + previous.substr(previous.size() - end);
}

}  // namespace

void ListLines::clear() {
  m_blocks.clear();
  m_blocks.shrink_to_fit();
  m_groups.clear();
  m_groups.shrink_to_fit();
  m_count = 0;
  m_last.clear();
}

void ListLines::append(const std::u16string& line) {
  // The first line of each group is told against nothing: kept whole.
  const bool groupStart = m_count % kGroupLines == 0;
  const std::string record = makeRecord(groupStart ? std::u16string() : m_last, line);
  if (m_blocks.empty() || m_blocks.back().size() + record.size() > m_blocks.back().capacity()) {
    m_blocks.emplace_back();
    m_blocks.back().reserve(std::max(kBlockBytes, record.size()));
  }
  if (groupStart) {
    m_groups.push_back({static_cast<uint32_t>(m_blocks.size() - 1),
                        static_cast<uint32_t>(m_blocks.back().size())});
  }
  m_blocks.back() += record;
  m_last = line;
  ++m_count;
}

std::u16string ListLines::line(size_t index) const {
  const Place place = m_groups[index / kGroupLines];
  size_t block = place.block;
  auto at = [&](size_t offset) {
    return reinterpret_cast<const unsigned char*>(m_blocks[block].data()) + offset;
  };
  const unsigned char* p = at(place.offset);
  std::u16string text;
  for (size_t i = index - index % kGroupLines;; ++i) {
    if (p == at(m_blocks[block].size())) {  // the group goes on in the next block
      ++block;
      p = at(0);
    }
    text = applyRecord(i % kGroupLines == 0 ? std::u16string() : text, &p);
    if (i == index) return text;
  }
}
