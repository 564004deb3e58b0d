#include "platform/inet/AsciiConversion.h"

namespace inet {

void LfToCrlf::convert(std::string_view block, std::string* out) {
  out->reserve(out->size() + block.size() + block.size() / 16);
  for (char c : block) {
    if (c == '\n' && !m_lastWasCr) out->push_back('\r');
    out->push_back(c);
    m_lastWasCr = c == '\r';
  }
}

void CrlfToLf::convert(std::string_view block, std::string* out) {
  out->reserve(out->size() + block.size() + 1);
  for (char c : block) {
    if (m_pendingCr) {
      m_pendingCr = false;
      if (c != '\n') out->push_back('\r');
    }
    if (c == '\r') {
      m_pendingCr = true;
    } else {
      out->push_back(c);
    }
  }
}

void CrlfToLf::finish(std::string* out) {
  if (m_pendingCr) out->push_back('\r');
  m_pendingCr = false;
}

}  // namespace inet
