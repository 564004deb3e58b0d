// Helpers shared by the server fixtures while they start a server (not for tests).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace testsupport::detail {

// Records why a Start* call failed, for LastStartFailure().
void setStartFailure(std::string reason);

// A port on `host` that was free a moment ago (bound to port 0 and released), or 0.
uint16_t pickFreePort(const std::string& host);

enum class GreetingResult { Ok, Refused, Other };

// Connects to host:port and reads the first reply line. Ok when it begins with "220";
// Refused when nothing listens; Other for anything else (text in `detail`).
GreetingResult readGreeting(const std::string& host, uint16_t port, std::string& detail);

// Deadline for a server to come up.
inline constexpr std::chrono::seconds kStartTimeout{10};

}  // namespace testsupport::detail
