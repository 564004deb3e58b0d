#include "platform/cmdline/CommandLine.h"

#include <string_view>

namespace cmdline {

std::string InvokedName(const char* argv0, const std::string& fallback) {
  if (argv0 == nullptr || *argv0 == '\0') return fallback;
  const std::string_view path = argv0;
  const size_t separator = path.find_last_of("/\\");
  const std::string_view name =
      separator == std::string_view::npos ? path : path.substr(separator + 1);
  return name.empty() ? fallback : std::string(name);
}

std::optional<int> HandleArguments(int argc, const char* const* argv, const ProgramInfo& info,
                                   std::ostream& out, std::ostream& err) {
  if (argc <= 1) return std::nullopt;
  const std::string name = InvokedName(argv[0], info.name);
  const std::string usage = "usage: " + name + " [--help | --version]";
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
  err << name << ": unknown argument \"" << refused << "\"; " << usage << std::endl;
  return kExitUsage;
}

}  // namespace cmdline
