// The scripted misbehaving FTP server as a program of its own, for tests that run whole
// programs against it: `scripted_ftpd SCENARIO` prints the port it listens on (127.0.0.1) as
// one line on standard output, then every command it receives on standard error, and runs
// until it gets SIGTERM or SIGINT.
#include <signal.h>

#include <cstdio>
#include <iostream>

#include "tests/support/scripted/ScriptedFtpd.h"

namespace {

void printCommand(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

}  // namespace

int main(int argc, char** argv) {
  const auto scenario = argc == 2 ? testsupport::ScenarioFromName(argv[1]) : std::nullopt;
  if (!scenario) {
    std::cerr << "usage: scripted_ftpd SCENARIO\nscenarios:";
    for (const auto& name : testsupport::ScenarioNames()) std::cerr << " " << name;
    std::cerr << "\n";
    return 2;
  }
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // the server thread inherits the mask
  testsupport::ScriptedFtpd server(*scenario);
  server.setCommandObserver(printCommand);
  std::cout << server.port() << std::endl;
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}
