// Module MduCsv: one line of comma-separated values in which every value is quoted and every
// quote inside a value is doubled: the line builder of the settings file (SettingsFormat.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace MduCsv {

// A one-dimensional array of texts with any lower bound. `items` is empty (nullopt) while the
// array has never been sized; its upper bound is lowerBound + size - 1.
struct TextArray {
  int32_t lowerBound = 0;
  std::optional<std::vector<std::u16string>> items;
};

// The values of `array` from its lower to its upper bound, each enclosed in `quote` with every
// occurrence of `quote` inside it written twice, joined by `separator` (never after the last),
// without a line end. An array that was never sized gives the empty line.
std::u16string MakeCsvLine(const TextArray& array, std::u16string_view separator,
                           std::u16string_view quote);

// `text` with every occurrence of `search` replaced by `replacement`, scanning left to right
// and never searching inside an inserted replacement. An empty `search` changes nothing.
std::u16string ReplaceString(std::u16string_view text, std::u16string_view search,
                             std::u16string_view replacement);

}  // namespace MduCsv
