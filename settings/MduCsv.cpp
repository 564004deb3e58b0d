// MduCsv: quoting and joining of values for one CSV line.
#include "settings/MduCsv.h"

namespace MduCsv {

std::u16string MakeCsvLine(const TextArray& array, std::u16string_view separator,
                           std::u16string_view quote) {
  std::u16string line;
  if (!array.items) return line;  // never sized: the only handled failure
  const std::u16string doubledQuote = std::u16string(quote) + std::u16string(quote);
  const std::vector<std::u16string>& items = *array.items;
  for (size_t i = 0; i < items.size(); ++i) {
    line += quote;
    line += ReplaceString(items[i], quote, doubledQuote);
    line += quote;
    if (i + 1 < items.size()) line += separator;
  }
  return line;
}

std::u16string ReplaceString(std::u16string_view text, std::u16string_view search,
                             std::u16string_view replacement) {
  if (search.empty()) return std::u16string(text);
  // Copying the untouched runs and resuming after each occurrence gives the same result as
  // replacing in place and resuming after the inserted text, in linear time.
  std::u16string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t at = text.find(search); at != std::u16string_view::npos;
       at = text.find(search, from)) {
    out.append(text.substr(from, at - from));
    out.append(replacement);
    from = at + search.size();
  }
  out.append(text.substr(from));
  return out;
}

}  // namespace MduCsv
