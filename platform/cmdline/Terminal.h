// Whether the program's standard error is a terminal a person watches (a console), not a file,
// a pipe or nothing: only then is a progress meter drawn there.
#pragma once

namespace cmdline {

bool StandardErrorIsTerminal();

}  // namespace cmdline
