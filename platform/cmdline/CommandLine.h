// The command line of both programs. They are configured by their settings file alone and take
// no arguments but --help and --version, which print and end the program before any settings
// are read or any connection is made; anything else is refused.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace cmdline {

// The exit status of a refused command line (EX_USAGE of sysexits.h).
inline constexpr int kExitUsage = 64;

struct ProgramInfo {
  std::string name;     // "Quillpost"
  std::string version;  // "1.0"
  std::string help;     // what --help prints after the usage line; ends with a line end
};

// The name the program was started by: `argv0` without its folder ("quillpost" through the
// link in /usr/bin, "Quillpost.exe" on Windows); `fallback` when there is none.
std::string InvokedName(const char* argv0, const std::string& fallback);

// Returns nullopt when there are no arguments: the program runs. Otherwise prints and returns
// the exit status: "--help" alone prints the usage line and `info.help` on `out` (0);
// "--version" alone prints "<info.name> <version>" on `out` (0); anything else prints one line
// naming the first refused argument and the usage on `err` (kExitUsage). The usage line and
// the refusal name the program by InvokedName.
std::optional<int> HandleArguments(int argc, const char* const* argv, const ProgramInfo& info,
                                   std::ostream& out, std::ostream& err);

}  // namespace cmdline
