#include "platform/inet/ServerReplies.h"

#include <string_view>

#include "platform/inet/AsciiText.h"

namespace inet {
namespace {

// The text of the reply's first line after its code and separator.
std::string_view firstLineText(const Reply& reply) {
  std::string_view line(reply.text);
  line = line.substr(0, line.find("\r\n"));
  return line.size() <= 4 ? std::string_view() : line.substr(4);
}

}  // namespace

std::string FirstLine(const Reply& reply) { return reply.text.substr(0, reply.text.find("\r\n")); }

ServerFeatures ParseFeatures(const Reply& reply) {
  ServerFeatures features;
  if (reply.code != 211) return features;
  features.answered = true;
  std::string_view text(reply.text);
  while (!text.empty()) {
    const size_t end = text.find("\r\n");
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 2);
    // Feature lines begin with a space (RFC 2389); the first and last lines are the reply's.
    if (line.empty() || line[0] != ' ') continue;
    line.remove_prefix(line.find_first_not_of(' '));
    const std::string keyword = UpperAscii(line.substr(0, line.find(' ')));
    if (keyword == "MLST" || keyword == "MLSD") features.mlsd = true;
    if (keyword == "UTF8") features.utf8 = true;
    if (keyword == "EPSV") features.epsv = true;
    if (keyword == "SIZE") features.size = true;
  }
  return features;
}

std::optional<std::string> ParsePwdReply(const Reply& reply) {
  if (reply.code != 257) return std::nullopt;
  const std::string_view line = firstLineText(reply);
  const size_t open = line.find('"');
  if (open == std::string_view::npos) {
    const std::string_view word = line.substr(0, line.find(' '));
    return word.empty() ? std::nullopt : std::optional<std::string>(word);
  }
  std::string path;
  for (size_t i = open + 1; i < line.size(); ++i) {
    if (line[i] != '"') {
      path.push_back(line[i]);
    } else if (i + 1 < line.size() && line[i + 1] == '"') {
      path.push_back('"');
      ++i;
    } else {
      return path;
    }
  }
  return std::nullopt;  // no closing quote
}

std::optional<uint64_t> ParseSizeReply(const Reply& reply) {
  if (reply.code != 213) return std::nullopt;
  return ParseUnsignedDecimal(firstLineText(reply));
}

}  // namespace inet
