// Quillpost's command line: the options a scheduler may give (upload in place, retries, a log,
// a check of the settings, the server's certificate or SSH host keys) besides --help and
// --version. Pure: the
// programs print and end by what it says.
#pragma once

#include <optional>
#include <string>
#include <vector>

inline constexpr int kMaxRetries = 10;
inline constexpr int kDefaultRetryMaxSeconds = 600;

struct RunOptions {
  bool inPlace = false;  // --in-place: straight to the remote name, no temporary name
  int retries = 0;       // --retry N (0..10): tries after a transient failure
  int retryMaxSeconds = kDefaultRetryMaxSeconds;  // --retry-max-time S: no new try after S s
  bool check = false;                             // --check: everything but the upload
  bool printCertificate = false;                  // --print-certificate
  bool printHostKey = false;                      // --print-host-key
  std::u16string logFile;                         // --log FILE; empty: none
};

struct ParsedArguments {
  enum class Action { Run, Help, Version, Refused };
  Action action = Action::Run;
  RunOptions options;   // for Run
  std::string refusal;  // for Refused: what was wrong, one line
};

// The arguments after the program's name. An option's value follows it ("--retry 3") or is
// joined with "=" ("--retry=3"). --help or --version must stand alone; --check,
// --print-certificate and --print-host-key exclude each other; anything unknown, a missing or bad
// value, or an option given twice is refused.
ParsedArguments ParseRunArguments(const std::vector<std::u16string>& arguments);

// The usage line's options: "[--in-place] [--retry N] ...".
std::string RunOptionsUsage();
