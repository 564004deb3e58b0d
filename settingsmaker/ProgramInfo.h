// What Quillprep's --help and --version print, on every system.
#pragma once

#include "platform/cmdline/CommandLine.h"

cmdline::ProgramInfo QuillprepInfo();
