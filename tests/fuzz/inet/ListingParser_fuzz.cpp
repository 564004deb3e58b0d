// Parses arbitrary bytes as MLSD and as LIST listings (and the passive replies) and checks
// the entries: names never empty, never "." or "..", no NUL, CR or LF.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/inet/ListingParser.h"
#include "platform/inet/PassiveReply.h"

namespace {

void check(const std::vector<inet::ListingEntry>& entries) {
  for (const auto& entry : entries) {
    if (entry.name.empty() || entry.name == "." || entry.name == "..") std::abort();
    if (entry.name.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  inet::CivilTime now;
  now.year = 2024;
  now.month = 2;
  now.day = 29;
  check(inet::ParseListing(bytes, inet::ListingFormat::Mlsd, now));
  check(inet::ParseListing(bytes, inet::ListingFormat::List, now));
  if (const auto pasv = inet::ParsePasvReply(bytes); pasv && pasv->port == 0) std::abort();
  if (const auto epsv = inet::ParseEpsvReply(bytes); epsv && *epsv == 0) std::abort();
  return 0;
}
