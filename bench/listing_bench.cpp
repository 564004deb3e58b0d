// Times the remote file list over a large directory: the directory search (FindFile, then
// NextFile to the end) and the list's line building (FileListLines, which runs its own search),
// with the resident memory each adds at its peak.
//
// usage: listing_bench SERVER USER FOLDER EXPECTED_ENTRIES   (the password on standard input)
// Prints one line of key=value pairs; exits 1 when the listing failed or came out short.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "ftp/McWinFTP.h"
#include "platform/codepage/CodePage.h"
#include "uploader/FileListLines.h"

namespace {

using Clock = std::chrono::steady_clock;

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when it cannot be read.
long statusKib(const std::string& field) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

// Starts a new peak: the kernel sets the high-water mark back to the current resident size.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct Phase {
  double ms = 0;
  long peakKib = 0;  // the peak's growth over the resident size before the phase
};

template <class Work>
Phase measure(Work&& work) {
  resetPeak();
  const long before = statusKib("VmRSS");
  const auto start = Clock::now();
  work();
  const auto end = Clock::now();
  return {std::chrono::duration<double, std::milli>(end - start).count(),
          statusKib("VmHWM") - before};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: listing_bench SERVER USER FOLDER EXPECTED_ENTRIES < password\n";
    return 2;
  }
  std::string password;
  std::getline(std::cin, password);
  const long expected = std::stol(argv[4]);

  McWinFTP clsFtp;
  clsFtp.OnFTPFrr([](int32_t number, const std::u16string& text) {
    std::cerr << "listing_bench: FTP failure " << number << ": " << codepage::ToAnsi(text) << "\n";
  });
  clsFtp.SetRemoteHost(codepage::FromAnsi(argv[1]));
  clsFtp.SetUser(codepage::FromAnsi(argv[2]));
  clsFtp.SetPassword(codepage::FromAnsi(password));
  clsFtp.SetPassiveFlag(true);
  clsFtp.OpenSession();
  if (clsFtp.hFTP() == 0) return 1;
  clsFtp.SetCurDir(codepage::FromAnsi(argv[3]));

  long entries = 0;
  const Phase search = measure([&] {
    clsFtp.FindFile(u"*.*");
    while (!clsFtp.RemoteFile().SearchEnd) {
      ++entries;
      const int64_t reported = clsFtp.FTPFrrCount();
      clsFtp.NextFile();
      if (clsFtp.FTPFrrCount() != reported) break;
    }
  });
  size_t lineCount = 0;
  const Phase lines =
      measure([&] { FileListLines(clsFtp, [&](const std::u16string&) { ++lineCount; }); });

  std::printf(
      "entries=%ld search_ms=%.1f search_peak_kib=%ld lines=%zu lines_ms=%.1f "
      "lines_peak_kib=%ld\n",
      entries, search.ms, search.peakKib, lineCount, lines.ms, lines.peakKib);
  const bool complete = clsFtp.FTPFrrCount() == 0 && entries == expected &&
                        lineCount == static_cast<size_t>(expected) + 1;
  if (!complete) std::cerr << "listing_bench: expected " << expected << " entries\n";
  return complete ? 0 : 1;
}
