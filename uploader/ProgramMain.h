// Quillpost's program: its command line, then the check, the certificate, or the start-up in
// its window where someone can answer a box, else without one. Shared by the program and its
// test copy with short deadlines.
#pragma once

#include "platform/inet/InternetApi.h"
#include "uploader/ScheduledRun.h"

struct ProgramHooks {
  const char* version = "";
  // The internet API of the session (it must outlive the run); null: the real engine.
  inet::InternetApi* internetApi = nullptr;
  RetryTiming timing = {};
  // The windowed run (WindowStart.h); null: never a window.
  int (*runInWindow)(int argc, char** argv) = nullptr;
};

// Returns the exit status (the table of the README; 64 for a refused command line).
int QuillpostMain(int argc, char** argv, const ProgramHooks& hooks);
