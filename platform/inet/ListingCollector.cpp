#include "platform/inet/ListingCollector.h"

#include "platform/inet/NamePattern.h"

namespace inet {

ListingCollector::ListingCollector(const WireNames& names, std::string pattern,
                                   const CivilTime& now, ListingStore& store)
    : m_names(names),
      m_pattern(std::move(pattern)),
      m_all(PatternMatchesAll(m_pattern.c_str())),
      m_now(now),
      m_store(store) {}

void ListingCollector::feed(ListingFormat format, std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t newline = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, newline);
    if (!m_overlong && m_partial.size() + piece.size() > kMaxLineBytes) {
      m_overlong = true;
      m_partial.clear();
    }
    if (newline == std::string_view::npos) {
      if (!m_overlong) m_partial.append(piece);
      return;
    }
    if (!m_overlong) {
      // Whole lines in the received block are parsed where they lie, without a copy.
      if (m_partial.empty()) {
        takeLine(format, piece);
      } else {
        m_partial.append(piece);
        takeLine(format, m_partial);
      }
    }
    m_partial.clear();
    m_overlong = false;
    bytes.remove_prefix(newline + 1);
  }
}

void ListingCollector::finish(ListingFormat format) {
  if (!m_overlong && !m_partial.empty()) takeLine(format, m_partial);
  m_partial.clear();
  m_overlong = false;
}

void ListingCollector::takeLine(ListingFormat format, std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const auto entry =
      format == ListingFormat::Mlsd ? ParseMlsdLine(line) : ParseListLine(line, m_now);
  if (entry) add(*entry);
}

void ListingCollector::add(const ListingEntry& entry) {
  // Names with no exact CP932 form, or too long for FindData, cannot be handed on intact.
  const auto name = m_names.fromWire(entry.name);
  if (!name || name->empty() || name->size() >= kMaxPath || name->find('\0') != std::string::npos) {
    return;
  }
  if (!m_all && !MatchesPattern(m_pattern, *name)) return;
  m_store.add(entry, *name);
}

}  // namespace inet
