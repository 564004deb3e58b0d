// The one-shot upload without a window system: the same start-up as the window's, over plain
// texts that stand in for the window's boxes and list (which no one could see), so that an
// unattended run loads no window toolkit at all.
#pragma once

#include "platform/inet/InternetApi.h"
#include "uploader/RunOptions.h"
#include "uploader/ScheduledRun.h"

// The whole unattended program: every box a record on standard error, the stored file's record
// on standard output, both also in the log of --log; tried again as `options` say; the exit
// status of the last try, Done after an error box included. `internetApi`, when not null, is
// the internet API the session uses (it must outlive the call); null uses the real engine.
int RunUnattendedProgram(const RunOptions& options, inet::InternetApi* internetApi = nullptr,
                         const RetryTiming& timing = {});
