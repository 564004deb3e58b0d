#include <unistd.h>

#include "platform/cmdline/Terminal.h"

namespace cmdline {

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace cmdline
