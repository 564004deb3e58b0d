// The program's arguments on Windows, from the wide command line: the narrow argv has been
// through the ANSI code page, which would lose a log path's characters outside it.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/cmdline/CommandLine.h"

namespace cmdline {

std::vector<std::u16string> ProgramArguments(int, const char* const*) {
  std::vector<std::u16string> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i) {
    arguments.emplace_back(reinterpret_cast<const char16_t*>(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

}  // namespace cmdline
