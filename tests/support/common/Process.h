// Child processes for tests: run a program to its end with a deadline and collect its exit
// status and output, or start a long-running one (a server) and stop it again by its PID.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct ProcessResult {
  // The exit status; 128 + the signal number when a signal ended the process; 127 when the
  // program could not be run (err then says why).
  int exitCode = -1;
  // True when the deadline passed and the process (with its process group) was killed.
  bool timedOut = false;
  std::string out;  // standard output
  std::string err;  // standard error
};

struct ProcessOptions {
  // Variables added to or replaced in the caller's environment.
  std::vector<std::pair<std::string, std::string>> setEnv;
  // Variables removed from the caller's environment.
  std::vector<std::string> unsetEnv;
  // How long the process may run before it is killed.
  std::chrono::milliseconds timeout{10000};
};

// The options with DISPLAY and WAYLAND_DISPLAY removed, so that a Qt program finds no window
// system and takes its console path.
ProcessOptions Headless(ProcessOptions options = {});

// Runs argv (argv[0] looked up in PATH when it holds no "/") with standard input from
// /dev/null, waits for it to end and returns its status and output. The process runs in a
// process group of its own; when it ends or its deadline passes, that group is killed.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// Starts argv in a new process group without waiting for it. Standard input is /dev/null;
// standard output and error go to `stdoutFd` and `stderrFd` when they are >= 0, else to
// /dev/null. Returns the PID, or -1 with `error` set when no process could be started; a
// program that cannot be run ends with status 127.
pid_t SpawnProcess(const std::vector<std::string>& argv, const ProcessOptions& options,
                   int stdoutFd, int stderrFd, std::string& error);

// Ends a process started by SpawnProcess and everything in its process group: SIGTERM, then
// SIGKILL when it is still there after `grace`; always reaps it. Returns its exit code in the
// convention of ProcessResult::exitCode.
int StopProcess(pid_t pid, std::chrono::milliseconds grace = std::chrono::milliseconds(3000));

// Like StopProcess, but first ends the children of the process (SIGTERM) and waits up to
// `grace` until it has reaped them: for a server that cleans up after a session when it reaps
// it.
int StopSessionsThenProcess(pid_t pid,
                            std::chrono::milliseconds grace = std::chrono::milliseconds(1000));

// True when a process started by SpawnProcess has ended. Does not reap it: StopProcess must
// still be called.
bool ProcessEnded(pid_t pid);

}  // namespace testsupport
