#include "platform/cmdline/CommandLine.h"

#include <string_view>

namespace cmdline {

std::optional<int> HandleArguments(int argc, const char* const* argv, const ProgramInfo& info,
                                   std::ostream& out, std::ostream& err) {
  if (argc <= 1) return std::nullopt;
  const std::string usage = "usage: " + info.name + " [--help | --version]";
  const std::string_view first = argv[1];
  if (argc == 2 && first == "--help") {
    out << usage << "\n" << info.help << std::flush;
    return 0;
  }
  if (argc == 2 && first == "--version") {
    out << info.name << " " << info.version << std::endl;
    return 0;
  }
  const std::string_view refused =
      argc == 2 || (first != "--help" && first != "--version") ? first : std::string_view(argv[2]);
  err << info.name << ": unknown argument \"" << refused << "\"; " << usage << std::endl;
  return kExitUsage;
}

}  // namespace cmdline
