// The one-shot upload without a window system: the same start-up as the window's, over plain
// texts that stand in for the window's boxes and list (which no one could see), so that an
// unattended run loads no window toolkit at all.
#pragma once

#include "platform/dialogs/Dialogs.h"
#include "platform/inet/InternetApi.h"
#include "uploader/StartUp.h"

// Runs the start-up on a session object of its own and returns how it ended. Every FTPFrr event
// is shown through `dialogs` as the window shows it (number, CR LF, text; OK, critical,
// "Quillpost"). `internetApi`, when not null, is the internet API the session uses (it must
// outlive the call); null uses the real engine. The session is released before returning.
ExitStatus RunUnattended(dialogs::Dialogs& dialogs, const StartUpEnvironment& environment,
                         inet::InternetApi* internetApi = nullptr);

// The whole unattended program: the console boxes on standard error (one record each), the
// stored record on standard output, and the exit status, Done after an error box included.
// `internetApi` as for RunUnattended.
int RunUnattendedProgram(inet::InternetApi* internetApi = nullptr);
