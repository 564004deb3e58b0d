// Client-side matching of find-first patterns against listed names. Both are CP932 bytes;
// "*" matches any run of characters, "?" exactly one character (a double-byte character counts
// as one), ASCII letters match regardless of case, as on the platform's file systems.
#pragma once

#include <string_view>

namespace inet {

// True when the pattern lists everything: null, empty, "*" or "*.*".
bool PatternMatchesAll(const char* pattern);

// True when `name` matches `pattern` as a whole.
bool MatchesPattern(std::string_view pattern, std::string_view name);

}  // namespace inet
