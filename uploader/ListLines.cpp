#include "uploader/ListLines.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/inet/Utf8.h"

namespace {

constexpr size_t kBlockBytes = 256 * 1024;

}  // namespace

void ListLines::clear() {
  m_blocks.clear();
  m_blockFirstLine.clear();
  m_starts.clear();
  m_blocks.shrink_to_fit();
  m_blockFirstLine.shrink_to_fit();
  m_starts.shrink_to_fit();
}

void ListLines::append(const std::u16string& line) {
  // UTF-8, or the UTF-16 units as they are for a line that has no UTF-8 form (a lone
  // surrogate), so that every line comes back exactly as it went in.
  std::optional<std::string> utf8 = inet::Utf16ToUtf8(line);
  const bool raw = !utf8;
  const std::string bytes =
      raw ? std::string(reinterpret_cast<const char*>(line.data()), line.size() * 2)
          : std::move(*utf8);
  // Twice the length, plus one for raw units, as a base-128 number, low digits first; then the
  // bytes.
  std::string record;
  for (size_t n = bytes.size() * 2 + (raw ? 1 : 0);; n >>= 7) {
    record.push_back(static_cast<char>((n & 0x7F) | (n > 0x7F ? 0x80 : 0)));
    if (n <= 0x7F) break;
  }
  record += bytes;
  if (m_blocks.empty() || m_blocks.back().size() + record.size() > m_blocks.back().capacity()) {
    m_blocks.emplace_back();
    m_blocks.back().reserve(std::max(kBlockBytes, record.size()));
    m_blockFirstLine.push_back(m_starts.size());
  }
  m_starts.push_back(static_cast<uint32_t>(m_blocks.back().size()));
  m_blocks.back() += record;
}

std::u16string ListLines::line(size_t index) const {
  const size_t block = static_cast<size_t>(
      std::upper_bound(m_blockFirstLine.begin(), m_blockFirstLine.end(), index) -
      m_blockFirstLine.begin() - 1);
  const auto* p = reinterpret_cast<const unsigned char*>(m_blocks[block].data()) + m_starts[index];
  size_t header = 0;
  for (int shift = 0;; shift += 7) {
    header |= static_cast<size_t>(*p & 0x7F) << shift;
    if ((*p++ & 0x80) == 0) break;
  }
  const size_t length = header / 2;
  if (header % 2 != 0) {
    std::u16string units(length / 2, u'\0');
    std::memcpy(units.data(), p, length);
    return units;
  }
  return inet::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(p), length))
      .value_or(std::u16string());
}
