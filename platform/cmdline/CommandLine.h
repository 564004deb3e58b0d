// The command line of both programs: the program's arguments as text, whatever the system's
// code page, and what --help, --version and a refused argument print. Quillprep takes no
// arguments but --help and --version; Quillpost's own options are parsed by the uploader.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cmdline {

// The exit status of a refused command line (EX_USAGE of sysexits.h).
inline constexpr int kExitUsage = 64;

struct ProgramInfo {
  std::string name;     // "Quillpost"
  std::string version;  // "1.0"
  std::string help;     // what --help prints after the usage line; ends with a line end
  std::string usage = "[--help | --version]";  // the usage line's arguments
};

// The name the program was started by: `argv0` without its folder ("quillpost" through the
// link in /usr/bin, "Quillpost.exe" on Windows); `fallback` when there is none.
std::string InvokedName(const char* argv0, const std::string& fallback);

// The arguments after the program's name, as UTF-16: decoded from UTF-8 on Linux, taken from
// the wide command line on Windows (the narrow argv there has been through the ANSI code page).
std::vector<std::u16string> ProgramArguments(int argc, const char* const* argv);

// "usage: <name> <usage>" and `info.help` on `out`; 0.
int PrintHelp(const ProgramInfo& info, const std::string& name, std::ostream& out);
// "<info.name> <version>" on `out`; 0.
int PrintVersion(const ProgramInfo& info, std::ostream& out);
// "<name>: <why>; usage: <name> <usage>" on `err`; kExitUsage.
int PrintRefusal(const ProgramInfo& info, const std::string& name, const std::string& why,
                 std::ostream& err);

// For a program without options of its own. Returns nullopt when there are no arguments: the
// program runs. Otherwise prints and returns the exit status: "--help" alone PrintHelp,
// "--version" alone PrintVersion, anything else PrintRefusal naming the first refused argument.
// The usage line and the refusal name the program by InvokedName.
std::optional<int> HandleArguments(int argc, const char* const* argv, const ProgramInfo& info,
                                   std::ostream& out, std::ostream& err);

}  // namespace cmdline
