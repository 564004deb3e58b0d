#include "tests/support/common/Process.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> childEnvironment(const ProcessOptions& options) {
  std::vector<std::string> env;
  auto named = [](const std::string& entry, const std::string& name) {
    return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
           entry[name.size()] == '=';
  };
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    bool drop = std::any_of(options.unsetEnv.begin(), options.unsetEnv.end(),
                            [&](const std::string& n) { return named(entry, n); }) ||
                std::any_of(options.setEnv.begin(), options.setEnv.end(),
                            [&](const auto& kv) { return named(entry, kv.first); });
    if (!drop) env.push_back(std::move(entry));
  }
  for (const auto& [name, value] : options.setEnv) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> cStrings(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Runs in the forked child: only async-signal-safe calls until exec. A failure is written as
// an errno value and a step name to `reportFd` (close-on-exec, so silence means exec worked).
[[noreturn]] void execChild(char** argv, char** envp, const char* workingDir, int outFd, int errFd,
                            int reportFd) {
  auto fail = [&](const char* step) {
    int e = errno;
    (void)!write(reportFd, &e, sizeof e);
    (void)!write(reportFd, step, strlen(step));
    _exit(127);
  };
  setpgid(0, 0);
  signal(SIGPIPE, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  int devNull = open("/dev/null", O_RDWR);
  if (devNull < 0) fail("open /dev/null");
  if (dup2(devNull, 0) < 0 || dup2(outFd >= 0 ? outFd : devNull, 1) < 0 ||
      dup2(errFd >= 0 ? errFd : devNull, 2) < 0) {
    fail("dup2");
  }
  if (workingDir[0] != '\0' && chdir(workingDir) != 0) fail("chdir");
  execvpe(argv[0], argv, envp);
  fail("exec");
  _exit(127);  // not reached: fail() exits
}

}  // namespace

ProcessOptions Headless(ProcessOptions options) {
  options.unsetEnv.push_back("DISPLAY");
  options.unsetEnv.push_back("WAYLAND_DISPLAY");
  return options;
}

pid_t SpawnProcess(const std::vector<std::string>& argv, const ProcessOptions& options,
                   int stdoutFd, int stderrFd, std::string& error) {
  if (argv.empty()) {
    error = "empty command line";
    return -1;
  }
  std::vector<std::string> args = argv;
  std::vector<std::string> env = childEnvironment(options);
  std::vector<char*> cArgs = cStrings(args);
  std::vector<char*> cEnv = cStrings(env);
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + strerror(errno);
    return -1;
  }
  pid_t pid = fork();
  if (pid == 0) {
    close(report[0]);
    execChild(cArgs.data(), cEnv.data(), options.workingDir.c_str(), stdoutFd, stderrFd, report[1]);
  }
  close(report[1]);
  if (pid < 0) {
    error = std::string("fork: ") + strerror(errno);
    close(report[0]);
    return -1;
  }
  // Also set the group from here so that it exists before any kill(-pid) of ours.
  setpgid(pid, pid);
  char buf[256];
  ssize_t n;
  do n = read(report[0], buf, sizeof buf);
  while (n < 0 && errno == EINTR);
  close(report[0]);
  if (n >= static_cast<ssize_t>(sizeof(int))) {
    int e;
    memcpy(&e, buf, sizeof e);
    error = std::string(buf + sizeof e, n - sizeof e) + " " + argv[0] + ": " + strerror(e);
    waitpid(pid, nullptr, 0);
    return -1;
  }
  return pid;
}

bool ProcessEnded(pid_t pid, int* exitCode) {
  siginfo_t info{};
  int r;
  do r = waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT);
  while (r < 0 && errno == EINTR);
  if (r < 0) return true;  // not our child (any more)
  if (info.si_pid != pid) return false;
  if (exitCode != nullptr) {
    *exitCode = info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
  }
  return true;
}

namespace {

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

}  // namespace

int StopProcess(pid_t pid, std::chrono::milliseconds grace) {
  if (pid <= 0) return -1;
  kill(-pid, SIGTERM);
  waitForEnd(pid, Clock::now() + grace);
  return killGroupAndReap(pid);
}

namespace {

// The parent and process group of `pid` from /proc/<pid>/stat, also of a zombie; false when
// there is no such process.
bool parentAndGroup(pid_t pid, pid_t* parent, pid_t* group) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');  // the command name may hold spaces and parentheses
  if (close == std::string::npos) return false;
  std::istringstream rest(text.substr(close + 1));
  char state;
  return static_cast<bool>(rest >> state >> *parent >> *group);
}

// The processes of the group `leader` leads other than the leader (`childrenOnly`: only its
// children), zombies included.
std::vector<pid_t> followersOf(pid_t leader, bool childrenOnly) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  for (dirent* e; proc != nullptr && (e = readdir(proc)) != nullptr;) {
    const pid_t pid = std::atoi(e->d_name);
    pid_t parent, group;
    if (pid > 0 && pid != leader && parentAndGroup(pid, &parent, &group) && group == leader &&
        (!childrenOnly || parent == leader)) {
      found.push_back(pid);
    }
  }
  if (proc != nullptr) closedir(proc);
  return found;
}

}  // namespace

int StopSessionsThenProcess(pid_t pid, std::chrono::milliseconds grace) {
  if (pid <= 0) return -1;
  for (pid_t follower : followersOf(pid, false)) kill(follower, SIGTERM);
  // Until the leader has reaped its children; what they leave to others is not its business.
  const auto deadline = Clock::now() + grace;
  while (!followersOf(pid, true).empty() && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return StopProcess(pid);
}

namespace {

// Reads both pipes until they close or the deadline passes.
void drainPipes(int outFd, int errFd, Clock::time_point deadline, ProcessResult& result) {
  struct pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return;
    int r = poll(fds, 2, static_cast<int>(left.count()));
    if (r < 0 && errno != EINTR) return;
    for (int i = 0; i < 2 && r > 0; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buf[4096];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, n);
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  ProcessResult result;
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    result.err = std::string("pipe: ") + strerror(errno);
    return result;
  }
  if (pipe2(err, O_CLOEXEC) != 0) {
    result.err = std::string("pipe: ") + strerror(errno);
    close(out[0]);
    close(out[1]);
    return result;
  }
  auto deadline = Clock::now() + options.timeout;
  std::string error;
  pid_t pid = SpawnProcess(argv, options, out[1], err[1], error);
  close(out[1]);
  close(err[1]);
  if (pid < 0) {
    close(out[0]);
    close(err[0]);
    result.err = error;
    return result;
  }
  drainPipes(out[0], err[0], deadline, result);
  close(out[0]);
  close(err[0]);
  result.timedOut = !waitForEnd(pid, deadline);
  result.exitCode = killGroupAndReap(pid);
  return result;
}

}  // namespace testsupport
