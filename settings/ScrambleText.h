// The keyless password scrambling shared by both programs: every character's code in the ANSI
// code page (CP932) is shifted by 15, down to scramble ("set"), up to restore ("reset").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class ScrambleFailure {
  None,
  TooLong,      // more than 32,767 characters
  Overflow,     // a shifted code beyond the signed 16-bit range
  NoCharacter,  // a character outside the code page, or a shifted code that is no character
};

struct ScrambleResult {
  bool ok = false;
  std::u16string text;  // the whole result when ok; empty on failure (no partial text)
  ScrambleFailure failure = ScrambleFailure::None;
  size_t position = 0;  // on failure: 0-based index of the offending character (TooLong: 32767)
};

// Scrambles (`mode` "SET") or restores ("RESET") `text`; the mode is compared after ASCII
// upper-casing, so "set" and "Reset" work. Any other mode, the empty one included, gives ok with
// the empty text. A character counts only when it is an exact character of the code page (best-fit
// mappings such as U+00A5 are refused), and so does the character of each shifted code: a
// shifted single-byte code that is a lead byte, a pair the code page does not define, or a code
// of 256 and above fails with NoCharacter. The result has as many characters as `text`.
[[nodiscard]] ScrambleResult ScrambleText(std::u16string_view mode, std::u16string_view text);

// True when `password` can be stored and recovered exactly: "set" succeeds, its result can be
// written in the code page unchanged, and "reset" of it gives `password` back. Characters with
// two codes in the code page (e.g. the NEC and IBM copies of "≒") fail the last step.
bool CanStorePassword(std::u16string_view password);
