// Code page 932 from the table generated at build time (make_cp932_table.py): on first use it
// is spread into two lookup arrays (every BMP code unit to its bytes, every code to its
// character); after that every conversion is a table walk, the same on every system.
#include "platform/codepage/CodePage.h"

#include <array>
#include <memory>

namespace codepage {
namespace {

struct Cp932Pair {
  uint16_t code;  // a single byte (< 0x100) or lead byte * 256 + trail byte
  char16_t ch;
};
#include "Cp932Table.inc"

constexpr uint16_t kUnmapped = 0xFFFF;          // no encoding (0xFF 0xFF is no valid pair)
constexpr char16_t kUndefinedChar = u'\u30FB';  // "・", what undefined byte codes decode to

bool isLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

struct Tables {
  // encode[u]: the code page's code for code unit u, best fit included; kUnmapped when none.
  std::array<uint16_t, 0x10000> encode;
  // decode[code]: the character of a single byte (code < 0x100) or of a byte pair; 0 when the
  // code is a lead byte alone or an undefined pair (U+0000 itself is the byte 0x00).
  std::array<char16_t, 0x10000> decode;
};

std::unique_ptr<Tables> buildTables() {
  auto t = std::make_unique<Tables>();
  t->decode.fill(0);
  t->encode.fill(kUnmapped);
  // The pairs come in the encoder's order of preference: the first code of a character wins.
  for (const Cp932Pair& pair : kCp932Pairs) {
    t->decode[pair.code] = pair.ch;
    if (t->encode[pair.ch] == kUnmapped) t->encode[pair.ch] = pair.code;
  }
  for (const Cp932Pair& pair : kCp932BestFit) t->encode[pair.ch] = pair.code;
  return t;
}

const Tables& tables() {
  static const std::unique_ptr<Tables> t = buildTables();
  return *t;
}

// The character of `code` from the decode table, or nullopt for lead bytes, undefined pairs.
std::optional<char16_t> decodeCode(const Tables& t, uint16_t code) {
  const char16_t ch = t.decode[code];
  if (ch == 0 && code != 0) return std::nullopt;
  return ch;
}

// The code of `ch` when it survives encoding and decoding unchanged.
std::optional<uint16_t> exactCode(const Tables& t, char16_t ch) {
  const uint16_t code = t.encode[ch];
  if (code == kUnmapped) return std::nullopt;
  const std::optional<char16_t> back = decodeCode(t, code);
  if (!back || *back != ch) return std::nullopt;
  return code;
}

void appendCode(std::string& out, uint16_t code) {
  if (code >= 0x100) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

}  // namespace

std::string ToAnsi(std::u16string_view text) {
  const Tables& t = tables();
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t ch : text) {
    const uint16_t code = t.encode[ch];
    if (code == kUnmapped) {
      out.push_back('?');
    } else {
      appendCode(out, code);
    }
  }
  return out;
}

std::optional<std::string> ToAnsiExact(std::u16string_view text) {
  const Tables& t = tables();
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t ch : text) {
    const std::optional<uint16_t> code = exactCode(t, ch);
    if (!code) return std::nullopt;
    appendCode(out, *code);
  }
  return out;
}

std::u16string FromAnsi(std::string_view bytes) {
  const Tables& t = tables();
  std::u16string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    const uint8_t b = static_cast<uint8_t>(bytes[i]);
    if (!isLeadByte(b)) {
      out.push_back(decodeCode(t, b).value_or(kUndefinedChar));
      continue;
    }
    // A lead byte followed by something that cannot be a trail byte (or by nothing) is one
    // undefined character on its own; the next byte keeps its own meaning, so a stray lead
    // byte never swallows a quote, comma or line end.
    if (i + 1 >= bytes.size() || !isTrailByte(static_cast<uint8_t>(bytes[i + 1]))) {
      out.push_back(kUndefinedChar);
      continue;
    }
    const uint16_t code = static_cast<uint16_t>(b << 8 | static_cast<uint8_t>(bytes[i + 1]));
    out.push_back(decodeCode(t, code).value_or(kUndefinedChar));
    ++i;
  }
  return out;
}

std::optional<int16_t> AnsiCode(char16_t ch) {
  const std::optional<uint16_t> code = exactCode(tables(), ch);
  if (!code) return std::nullopt;
  return static_cast<int16_t>(*code);
}

std::optional<char16_t> CharFromAnsiCode(int32_t code) {
  if (code >= 0x100 || code < -0x8000) return std::nullopt;
  if (code >= 0) {
    if (isLeadByte(static_cast<uint8_t>(code))) return std::nullopt;
    return decodeCode(tables(), static_cast<uint16_t>(code));
  }
  const uint16_t pair = static_cast<uint16_t>(code);
  if (!isLeadByte(pair >> 8) || !isTrailByte(pair & 0xFF)) return std::nullopt;
  return decodeCode(tables(), pair);
}

}  // namespace codepage
