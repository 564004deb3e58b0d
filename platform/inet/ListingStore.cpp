#include "platform/inet/ListingStore.h"

#include <cstring>

namespace inet {
namespace {

// Blocks are allocated whole, so a growing listing never holds a doubled copy of itself.
constexpr size_t kBlockBytes = 256 * 1024;
// The largest record: flags, size (10 varint bytes), time (8), name length (2), name.
constexpr size_t kMaxRecordBytes = 1 + 10 + 8 + 2 + kMaxPath;

constexpr unsigned char kDirectory = 1;
constexpr unsigned char kHasSize = 2;
constexpr unsigned char kHasTime = 4;

void putVarint(std::string& out, uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

uint64_t getVarint(const std::string& in, size_t& pos) {
  uint64_t value = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(in[pos++]);
    value |= static_cast<uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return value;
  }
}

}  // namespace

void ListingStore::add(const ListingEntry& entry, std::string_view ansiName) {
  if (ansiName.empty() || ansiName.size() >= kMaxPath) return;  // would not fit FindData
  if (m_blocks.empty() || m_blocks.back().size() + kMaxRecordBytes > kBlockBytes) {
    m_blocks.emplace_back();
    m_blocks.back().reserve(kBlockBytes);
  }
  std::string& block = m_blocks.back();
  const bool hasTime = entry.lastWrite.dwLowDateTime != 0 || entry.lastWrite.dwHighDateTime != 0;
  const unsigned char flags = (entry.isDirectory ? kDirectory : 0) |
                              (entry.size != 0 ? kHasSize : 0) | (hasTime ? kHasTime : 0);
  block.push_back(static_cast<char>(flags));
  if (entry.size != 0) putVarint(block, entry.size);
  if (hasTime) {
    char time[8];
    std::memcpy(time, &entry.lastWrite.dwLowDateTime, 4);
    std::memcpy(time + 4, &entry.lastWrite.dwHighDateTime, 4);
    block.append(time, sizeof time);
  }
  putVarint(block, ansiName.size());
  block.append(ansiName);
  ++m_count;
}

bool ListingStore::next(FindData* findData) {
  if (m_readBlock < m_blocks.size() && m_readOffset >= m_blocks[m_readBlock].size()) {
    ++m_readBlock;
    m_readOffset = 0;
  }
  if (m_readBlock >= m_blocks.size()) return false;
  const std::string& block = m_blocks[m_readBlock];
  size_t pos = m_readOffset;
  const auto flags = static_cast<unsigned char>(block[pos++]);
  const uint64_t size = (flags & kHasSize) != 0 ? getVarint(block, pos) : 0;
  FileTime time;
  if ((flags & kHasTime) != 0) {
    std::memcpy(&time.dwLowDateTime, block.data() + pos, 4);
    std::memcpy(&time.dwHighDateTime, block.data() + pos + 4, 4);
    pos += 8;
  }
  const size_t nameLength = getVarint(block, pos);
  *findData = FindData{};
  findData->dwFileAttributes =
      (flags & kDirectory) != 0 ? kFileAttributeDirectory : kFileAttributeNormal;
  findData->ftCreationTime = time;
  findData->ftLastAccessTime = time;
  findData->ftLastWriteTime = time;
  findData->nFileSizeHigh = static_cast<uint32_t>(size >> 32);
  findData->nFileSizeLow = static_cast<uint32_t>(size);
  std::memcpy(findData->cFileName, block.data() + pos, nameLength);
  m_readOffset = pos + nameLength;
  return true;
}

}  // namespace inet
