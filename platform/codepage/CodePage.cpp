// Code page 932 through glibc iconv. The whole mapping is read out of iconv once, on first use,
// into two tables (every BMP code unit to its bytes, every byte pair to its character); after
// that every conversion is a table walk: fast for long texts, no shared iconv state to guard.
#include "platform/codepage/CodePage.h"

#include <iconv.h>

#include <array>
#include <memory>

namespace codepage {
namespace {

constexpr uint16_t kUnmapped = 0xFFFF;          // no encoding (0xFF 0xFF is no valid pair)
constexpr char16_t kUndefinedChar = u'\u30FB';  // "・", what undefined byte codes decode to

// The lone bytes glibc's decoder rejects but the platform decodes (and encodes back).
struct LoneByte {
  uint8_t byte;
  char16_t ch;
};
constexpr std::array<LoneByte, 5> kLoneBytes{{{0x80, u'\u0080'},
                                              {0xA0, u'\uF8F0'},
                                              {0xFD, u'\uF8F1'},
                                              {0xFE, u'\uF8F2'},
                                              {0xFF, u'\uF8F3'}}};

bool isLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

struct Tables {
  // encode[u]: the code page's bytes for code unit u: < 0x100 a single byte, otherwise lead
  // byte * 256 + trail byte; kUnmapped when iconv has no mapping, best fit included.
  std::array<uint16_t, 0x10000> encode;
  // decode[code]: the character of a single byte (code < 0x100) or of a byte pair; 0 when the
  // code is a lead byte alone or an undefined pair (U+0000 itself is the byte 0x00).
  std::array<char16_t, 0x10000> decode;
};

// One conversion of a few bytes through `cd`; false when iconv rejects them.
bool convertOnce(iconv_t cd, const char* in, size_t inLen, char* out, size_t outCap,
                 size_t& outLen) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* ip = const_cast<char*>(in);
  char* op = out;
  size_t il = inLen;
  size_t ol = outCap;
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0) return false;
  outLen = outCap - ol;
  return true;
}

void fillDecode(iconv_t toUtf16, Tables& t) {
  auto decodeBytes = [&](const char* bytes, size_t n) -> char16_t {
    char16_t out[2];
    size_t outLen = 0;
    if (!convertOnce(toUtf16, bytes, n, reinterpret_cast<char*>(out), sizeof out, outLen) ||
        outLen != sizeof(char16_t)) {
      return 0;
    }
    return out[0];
  };
  for (unsigned b = 0; b < 0x100; ++b) {
    const char byte = static_cast<char>(b);
    t.decode[b] = isLeadByte(b) ? 0 : decodeBytes(&byte, 1);
  }
  for (const LoneByte& lone : kLoneBytes) t.decode[lone.byte] = lone.ch;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!isLeadByte(lead)) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (!isTrailByte(trail)) continue;
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      t.decode[lead << 8 | trail] = decodeBytes(pair, 2);
    }
  }
}

void fillEncode(iconv_t fromUtf16, Tables& t) {
  t.encode.fill(kUnmapped);
  for (unsigned u = 0; u < 0x10000; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;  // a lone surrogate is no character
    const char16_t ch = static_cast<char16_t>(u);
    unsigned char out[4];
    size_t outLen = 0;
    if (!convertOnce(fromUtf16, reinterpret_cast<const char*>(&ch), sizeof ch,
                     reinterpret_cast<char*>(out), sizeof out, outLen)) {
      continue;
    }
    if (outLen == 1) t.encode[u] = out[0];
    if (outLen == 2) t.encode[u] = static_cast<uint16_t>(out[0] << 8 | out[1]);
  }
  for (const LoneByte& lone : kLoneBytes) t.encode[lone.ch] = lone.byte;
}

std::unique_ptr<Tables> buildTables() {
  auto t = std::make_unique<Tables>();
  t->decode.fill(0);
  // char16_t in host order: the project targets little-endian Debian machines.
  iconv_t toUtf16 = iconv_open("UTF-16LE", "CP932");
  iconv_t fromUtf16 = iconv_open("CP932", "UTF-16LE");
  if (toUtf16 != reinterpret_cast<iconv_t>(-1)) fillDecode(toUtf16, *t);
  if (fromUtf16 != reinterpret_cast<iconv_t>(-1)) fillEncode(fromUtf16, *t);
  // Without glibc's CP932 module only the platform's own extra bytes are known; conversions
  // still never fail, they just map most characters to "?".
  if (toUtf16 != reinterpret_cast<iconv_t>(-1)) iconv_close(toUtf16);
  if (fromUtf16 != reinterpret_cast<iconv_t>(-1)) iconv_close(fromUtf16);
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
