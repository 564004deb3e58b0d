// A test copy of Quillpost, run headless only: the same program, but an FTP engine that waits
// 1 s for a reply or a paused transfer (the shipped program waits 60 s) and waits of 100 ms,
// 200 ms ... between tries, so that a test of a stalling or a flaky server ends in seconds.
// Built only with the tests; the shipped program has no setting for its deadlines.
#include "platform/inet/FtpEngine.h"
#include "uploader/ProgramMain.h"

namespace {

using std::chrono::milliseconds;

inet::EngineOptions shortDeadlines() {
  inet::EngineOptions options;
  options.connectTimeout = milliseconds(2000);
  options.replyTimeout = milliseconds(1000);
  options.dataIdleTimeout = milliseconds(1000);
  options.quitTimeout = milliseconds(500);
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const auto engine = inet::MakeFtpEngine(shortDeadlines());
  RetryTiming timing;
  timing.firstWait = milliseconds(100);
  timing.longestWait = milliseconds(400);
  return QuillpostMain(argc, argv, {"1.0", engine.get(), timing, nullptr});
}
