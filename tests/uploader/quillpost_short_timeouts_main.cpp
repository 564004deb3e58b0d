// A test copy of Quillpost, run headless only: the same unattended start-up, but an FTP engine
// that waits 1 s for a reply or a paused transfer (the shipped program waits 60 s), so that a
// test of a stalling server ends in seconds. Built only with the tests; the shipped program has
// no setting for its deadlines.
#include "platform/inet/FtpEngine.h"
#include "uploader/UnattendedRun.h"

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

int main() {
  const auto engine = inet::MakeFtpEngine(shortDeadlines());
  return RunUnattendedProgram(engine.get());
}
