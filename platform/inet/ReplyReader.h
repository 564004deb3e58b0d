// Splits the bytes of an FTP control connection into complete replies (RFC 959 section 4.2):
// a single line "ddd text", or a multi-line reply opened by "ddd-" and closed by the first
// line that begins with the same code and a space. Pure: sockets only feed it.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace inet {

struct Reply {
  int code = 0;      // 100..599
  std::string text;  // every line of the reply, each ending in CR LF
};

class ReplyReader {
 public:
  // A line longer than this (without its line end) is no FTP reply; the connection is ended.
  static constexpr std::size_t kMaxLineBytes = 8192;
  // Bound on one whole multi-line reply, so a server cannot make us hold without limit.
  static constexpr std::size_t kMaxReplyBytes = 256 * 1024;

  // Appends bytes from the connection. Complete replies become available from take(). After
  // an error (overlong line or reply, a line that is no reply) further input is ignored.
  void feed(std::string_view bytes);

  // The oldest complete reply not yet taken; false when none is complete.
  bool take(Reply* reply);

  // True once the input broke the reply syntax; the connection must then be ended.
  bool failed() const { return m_failed; }

  // True while it holds bytes not yet taken as a reply: a complete reply, or part of one.
  bool holdsInput() const { return !m_ready.empty() || !m_line.empty() || m_current.code != 0; }

 private:
  void addLine(std::string_view line);

  std::deque<Reply> m_ready;
  std::string m_line;  // the line being received, without its line end
  Reply m_current;     // a multi-line reply being collected, code 0 when none
  bool m_failed = false;
};

}  // namespace inet
