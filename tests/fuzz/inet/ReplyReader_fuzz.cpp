// Feeds arbitrary control-connection bytes to the reply reader, split at a point taken from
// the input, and checks what it delivers: codes in range, every line ended by CR LF, no
// line over the limit, nothing after a failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/inet/ReplyReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t split = bytes.empty() ? 0 : data[0] % (bytes.size() + 1);
  inet::ReplyReader reader;
  reader.feed(bytes.substr(0, split));
  reader.feed(bytes.substr(split));
  inet::Reply reply;
  while (reader.take(&reply)) {
    if (reply.code < 100 || reply.code > 599) std::abort();
    if (reply.text.size() < 5 || reply.text.compare(reply.text.size() - 2, 2, "\r\n") != 0) {
      std::abort();
    }
    if (reply.text.size() > inet::ReplyReader::kMaxReplyBytes) std::abort();
  }
  if (reader.failed()) {
    reader.feed("200 more\r\n");
    if (reader.take(&reply)) std::abort();
  }
  return 0;
}
