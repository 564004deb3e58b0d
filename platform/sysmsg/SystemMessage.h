// The system message table: one-line Japanese texts for the system and internet error codes
// that our platform layers produce, looked up the way the platform's message formatter does.
#pragma once

#include <cstdint>

namespace sysmsg {

inline constexpr uint32_t kFormatMessageFromSystem = 0x1000;
inline constexpr uint32_t kFormatMessageIgnoreInserts = 0x200;
inline constexpr uint32_t kFormatMessageMaxWidthMask = 0xFF;

// Stand-in for the platform's message formatter. Only `flags` containing
// kFormatMessageFromSystem are served (no module tables: `source` must be null); the text for
// `messageId` in the table is stored in `buffer` as CP932 bytes followed by a NUL, and its
// length in bytes (without the NUL) is returned. Returns 0 and leaves `buffer` unchanged when
// the table holds no text for the code, when `buffer` is null, or when the text and its NUL do
// not fit in `size` bytes. With kFormatMessageMaxWidthMask the text has no line breaks (the
// table's texts have none in any case). `languageId` 0 (neutral), 0x0400 (user default) and
// 0x0411 (Japanese) select the table; any other language id finds nothing. The allocate-buffer
// flag (0x100) is not served (returns 0). `arguments` is ignored: the texts have no inserts.
uint32_t FormatMessageA(uint32_t flags, const void* source, uint32_t messageId, uint32_t languageId,
                        char* buffer, uint32_t size, void* arguments);

}  // namespace sysmsg
