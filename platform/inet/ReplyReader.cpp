#include "platform/inet/ReplyReader.h"

#include "platform/inet/AsciiText.h"

namespace inet {
namespace {

// The reply code a line opens with, or 0 when it opens with none. Codes begin with 1 to 5.
int leadingCode(std::string_view line) {
  if (line.size() < 3 || line[0] < '1' || line[0] > '5' || !IsAsciiDigit(line[1]) ||
      !IsAsciiDigit(line[2])) {
    return 0;
  }
  return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

}  // namespace

void ReplyReader::feed(std::string_view bytes) {
  for (char c : bytes) {
    if (m_failed) return;
    if (c != '\n') {
      // One byte more than the limit, for the CR of the line end.
      if (m_line.size() > kMaxLineBytes) {
        m_failed = true;
        return;
      }
      m_line.push_back(c);
      continue;
    }
    // RFC 959 ends lines with CR LF; a bare LF is taken as a line end too.
    std::string_view line(m_line);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLineBytes) {
      m_failed = true;
      return;
    }
    addLine(line);
    m_line.clear();
  }
}

void ReplyReader::addLine(std::string_view line) {
  const int code = leadingCode(line);
  const char separator = line.size() > 3 ? line[3] : ' ';
  if (m_current.code == 0) {
    // The first line of a reply: "ddd text", "ddd-text", or a bare "ddd".
    if (code == 0 || (separator != ' ' && separator != '-')) {
      m_failed = true;
      return;
    }
    m_current.code = code;
    m_current.text.clear();
  }
  if (m_current.text.size() + line.size() + 2 > kMaxReplyBytes) {
    m_failed = true;
    return;
  }
  const bool opening = m_current.text.empty();
  m_current.text.append(line).append("\r\n");
  // A multi-line reply ends with a line holding the same code followed by a space; a line
  // "ddd-..." or another code inside it is text (RFC 959 section 4.2).
  const bool closes = opening ? separator == ' ' : code == m_current.code && separator == ' ';
  if (closes) {
    m_ready.push_back(std::move(m_current));
    m_current = Reply{};
  }
}

bool ReplyReader::take(Reply* reply) {
  if (m_ready.empty()) return false;
  *reply = std::move(m_ready.front());
  m_ready.pop_front();
  return true;
}

}  // namespace inet
