// The program's arguments on Linux: UTF-8, as the file system's names.
#include "platform/cmdline/CommandLine.h"
#include "platform/files/Files.h"

namespace cmdline {

std::vector<std::u16string> ProgramArguments(int argc, const char* const* argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(files::FromFileSystemPath(argv[i]));
  return arguments;
}

}  // namespace cmdline
