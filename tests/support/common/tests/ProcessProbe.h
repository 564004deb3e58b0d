// Looks at other processes through /proc, for tests that check that nothing was left running.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>

namespace testsupport {

// The state letter and process group from /proc/<pid>/stat; false when there is no such
// process.
inline bool readProcStat(pid_t pid, char& state, pid_t& group) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t close = text.rfind(')');  // the command name may hold spaces and parentheses
  if (!in.is_open() || close == std::string::npos) return false;
  std::istringstream rest(text.substr(close + 1));
  pid_t parent;
  rest >> state >> parent >> group;
  return static_cast<bool>(rest);
}

// True when the process exists and is not a zombie (a zombie has ended; in a container its
// new parent may never reap it).
inline bool ProcessRunning(pid_t pid) {
  char state;
  pid_t group;
  return readProcStat(pid, state, group) && state != 'Z';
}

// Running processes whose process group is `group`.
inline std::vector<pid_t> RunningInGroup(pid_t group) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  for (dirent* e; proc != nullptr && (e = readdir(proc)) != nullptr;) {
    pid_t pid = std::atoi(e->d_name);
    char state;
    pid_t g;
    if (pid > 0 && readProcStat(pid, state, g) && g == group && state != 'Z') found.push_back(pid);
  }
  if (proc != nullptr) closedir(proc);
  return found;
}

// Waits (a few seconds at most) until no process of `group` is running: a SIGKILL is
// delivered asynchronously, so a killed process may show for a moment. True when none is left.
inline bool GroupEnds(pid_t group) {
  for (int i = 0; i < 300; ++i) {
    if (RunningInGroup(group).empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace testsupport
