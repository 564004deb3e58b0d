#include "tests/support/common/Process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "tests/support/common/TempDir.h"

extern char** environ;

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// The child's standard stream `target` becomes `fd`, or /dev/null when `fd` is negative.
void redirect(posix_spawn_file_actions_t* actions, int target, int fd) {
  if (fd >= 0) {
    posix_spawn_file_actions_adddup2(actions, fd, target);
  } else {
    posix_spawn_file_actions_addopen(actions, target, "/dev/null", O_RDWR, 0);
  }
}

// Waits until the process has ended (without reaping it) or the deadline has passed.
bool waitForEnd(pid_t pid, Clock::time_point deadline) {
  while (!ProcessEnded(pid)) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Kills what is left of the process group, then reaps the leader. The group is killed while
// the leader is still unreaped, so its PID (the group's id) cannot have been reused.
int killGroupAndReap(pid_t pid) {
  kill(-pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// The children of `pid`, zombies included, until it has reaped them.
std::vector<pid_t> childrenOf(pid_t pid) {
  const std::string id = std::to_string(pid);
  std::ifstream in("/proc/" + id + "/task/" + id + "/children");
  std::vector<pid_t> children;
  for (pid_t child; in >> child;) children.push_back(child);
  return children;
}

}  // namespace

ProcessOptions Headless(ProcessOptions options) {
  options.unsetEnv.push_back("DISPLAY");
  options.unsetEnv.push_back("WAYLAND_DISPLAY");
  return options;
}

pid_t SpawnProcess(const std::vector<std::string>& argv, const ProcessOptions& options,
                   int stdoutFd, int stderrFd, std::string& error) {
  // env(1) changes the environment and then runs the program.
  std::vector<std::string> args = {"env"};
  for (const std::string& name : options.unsetEnv) args.insert(args.end(), {"-u", name});
  for (const auto& [name, value] : options.setEnv) args.push_back(name + "=" + value);
  args.insert(args.end(), argv.begin(), argv.end());
  const std::vector<char*> argp = pointers(args);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  redirect(&actions, 0, -1);
  redirect(&actions, 1, stdoutFd);
  redirect(&actions, 2, stderrFd);
  // A process group of its own, so that stopping it reaches what it starts; no signal blocked
  // and SIGPIPE as usual, whatever the test program set.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigaddset(&signals, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, argp[0], &actions, &attributes, argp.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed == 0) return pid;
  error = argv[0] + ": " + strerror(failed);
  return -1;
}

bool ProcessEnded(pid_t pid) {
  siginfo_t info{};
  int r;
  do r = waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT);
  while (r < 0 && errno == EINTR);
  return r < 0 || info.si_pid == pid;  // not our child (any more), or ended
}

int StopProcess(pid_t pid, std::chrono::milliseconds grace) {
  if (pid <= 0) return -1;
  kill(-pid, SIGTERM);
  waitForEnd(pid, Clock::now() + grace);
  return killGroupAndReap(pid);
}

int StopSessionsThenProcess(pid_t pid, std::chrono::milliseconds grace) {
  if (pid <= 0) return -1;
  for (pid_t child : childrenOf(pid)) kill(child, SIGTERM);
  const auto deadline = Clock::now() + grace;
  while (!childrenOf(pid).empty() && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return StopProcess(pid);
}

// Output goes to files rather than pipes: nothing the process leaves running can keep a read
// waiting.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  ProcessResult result;
  const TempDir files;
  const int out = open(files.file("out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const int err = open(files.file("err").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const auto deadline = Clock::now() + options.timeout;
  const pid_t pid = SpawnProcess(argv, options, out, err, result.err);
  close(out);
  close(err);
  if (pid < 0) return result;
  result.timedOut = !waitForEnd(pid, deadline);
  result.exitCode = killGroupAndReap(pid);
  result.out = ReadFile(files.file("out"));
  result.err = ReadFile(files.file("err"));
  return result;
}

}  // namespace testsupport
