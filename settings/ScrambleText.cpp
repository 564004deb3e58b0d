// ScrambleText over the per-character ANSI codes of the code page.
#include "settings/ScrambleText.h"

#include <cstdint>
#include <optional>

#include "platform/codepage/CodePage.h"

namespace {

constexpr size_t kMaxLength = 32767;  // the length is a signed 16-bit count
constexpr int32_t kShift = 15;

// The mode's shift, or nullopt for a mode that is neither keyword.
std::optional<int32_t> shiftOf(std::u16string_view mode) {
  std::u16string upper(mode);
  for (char16_t& c : upper) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  if (upper == u"SET") return -kShift;
  if (upper == u"RESET") return kShift;
  return std::nullopt;
}

ScrambleResult failure(ScrambleFailure kind, size_t position) {
  return ScrambleResult{false, {}, kind, position};
}

}  // namespace

ScrambleResult ScrambleText(std::u16string_view mode, std::u16string_view text) {
  const std::optional<int32_t> shift = shiftOf(mode);
  if (!shift) return ScrambleResult{true, {}, ScrambleFailure::None, 0};
  if (text.size() > kMaxLength) return failure(ScrambleFailure::TooLong, kMaxLength);

  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const std::optional<int16_t> code = codepage::AnsiCode(text[i]);
    if (!code) return failure(ScrambleFailure::NoCharacter, i);
    const int32_t shifted = *code + *shift;
    if (shifted < INT16_MIN || shifted > INT16_MAX) return failure(ScrambleFailure::Overflow, i);
    const std::optional<char16_t> ch = codepage::CharFromAnsiCode(shifted);
    if (!ch) return failure(ScrambleFailure::NoCharacter, i);
    out.push_back(*ch);
  }
  return ScrambleResult{true, std::move(out), ScrambleFailure::None, 0};
}

bool CanStorePassword(std::u16string_view password) {
  const ScrambleResult scrambled = ScrambleText(u"set", password);
  if (!scrambled.ok || !codepage::ToAnsiExact(scrambled.text)) return false;
  const ScrambleResult restored = ScrambleText(u"reset", scrambled.text);
  return restored.ok && restored.text == password;
}
