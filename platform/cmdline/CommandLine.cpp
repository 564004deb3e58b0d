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

int PrintHelp(const ProgramInfo& info, const std::string& name, std::ostream& out) {
  out << "usage: " << name << " " << info.usage << "\n" << info.help << std::flush;
  return 0;
}

int PrintVersion(const ProgramInfo& info, std::ostream& out) {
  out << info.name << " " << info.version << std::endl;
  return 0;
}

int PrintRefusal(const ProgramInfo& info, const std::string& name, const std::string& why,
                 std::ostream& err) {
  err << name << ": " << why << "; usage: " << name << " " << info.usage << std::endl;
  return kExitUsage;
}

std::optional<int> HandleArguments(int argc, const char* const* argv, const ProgramInfo& info,
                                   std::ostream& out, std::ostream& err) {
  if (argc <= 1) return std::nullopt;
  const std::string name = InvokedName(argv[0], info.name);
  const std::string_view first = argv[1];
  if (argc == 2 && first == "--help") return PrintHelp(info, name, out);
  if (argc == 2 && first == "--version") return PrintVersion(info, out);
  const std::string_view refused =
      argc == 2 || (first != "--help" && first != "--version") ? first : std::string_view(argv[2]);
  return PrintRefusal(info, name, "unknown argument \"" + std::string(refused) + "\"", err);
}

}  // namespace cmdline
