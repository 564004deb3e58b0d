// Fuzzes ScrambleText: the first byte picks the mode, the rest are UTF-16 code units. A result
// keeps the length, a failure carries no text and points into the text, and a stored password
// (CanStorePassword) comes back exactly.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/ScrambleText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const char16_t* const kModes[] = {u"set", u"reset", u"SET", u"ReSeT", u"", u"sett"};
  const std::u16string_view mode = kModes[data[0] % 6];
  std::u16string text((size - 1) / 2, u'\0');
  std::memcpy(text.data(), data + 1, text.size() * 2);

  const ScrambleResult r = ScrambleText(mode, text);
  const bool keyword = data[0] % 6 < 4;
  if (r.ok) {
    if (r.failure != ScrambleFailure::None) std::abort();
    if (r.text.size() != (keyword ? text.size() : 0)) std::abort();
  } else {
    if (!keyword || !r.text.empty() || r.failure == ScrambleFailure::None) std::abort();
    if (r.failure != ScrambleFailure::TooLong && r.position >= text.size()) std::abort();
  }
  if (CanStorePassword(text)) {
    const ScrambleResult scrambled = ScrambleText(u"set", text);
    if (!scrambled.ok || ScrambleText(u"RESET", scrambled.text).text != text) std::abort();
  }
  return 0;
}
