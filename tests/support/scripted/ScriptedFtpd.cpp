#include "tests/support/scripted/ScriptedFtpd.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace testsupport {
namespace {

constexpr int kDataAcceptMs = 5000;
constexpr int kIdleMs = 10000;

struct NamedScenario {
  const char* name;
  Scenario scenario;
};

constexpr std::array<NamedScenario, 19> kScenarios{{
    {"normal", Scenario::Normal},
    {"close-before-greeting", Scenario::CloseBeforeGreeting},
    {"close-after-pass", Scenario::CloseAfterPass},
    {"stall", Scenario::Stall},
    {"drop-mid-reply", Scenario::DropMidReply},
    {"long-reply-line", Scenario::LongReplyLine},
    {"close-during-list", Scenario::CloseDuringList},
    {"close-during-stor", Scenario::CloseDuringStor},
    {"close-before-226", Scenario::CloseBefore226},
    {"close-after-stor-data", Scenario::CloseAfterStorData},
    {"stall-during-retr", Scenario::StallDuringRetr},
    {"stall-during-stor", Scenario::StallDuringStor},
    {"stor-452", Scenario::StorRefused452},
    {"stor-552-mid", Scenario::StorRefused552Mid},
    {"pasv-foreign-address", Scenario::PasvForeignAddress},
    {"epsv-500", Scenario::EpsvRefused},
    {"multi-line-error", Scenario::MultiLineError},
    {"garbage-listing", Scenario::GarbageListing},
    {"mlsd-500", Scenario::MlsdRefused},
}};

bool sendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

bool reply(int fd, std::string_view line) { return sendAll(fd, std::string(line) + "\r\n"); }

int listenLoopback(uint16_t* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 4) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// The listing lines served by LIST in the garbage scenario: good lines among bad ones.
const char* kGarbageListing =
    "total 3\r\n"
    "\x01\x02\x03 binary noise \xff\xfe\r\n"
    "-rw-r--r-- 1 user group 5 Jan  1  2020 good one.txt\r\n"
    "this is not a listing line\r\n"
    "-rw-r--r-- 1 user group notanumber Jan  1  2020 bad-size\r\n"
    "drwxr-xr-x 2 user group 4096 Feb 30  2021 bad-date\r\n"
    "drwxr-xr-x 2 user group 4096 Mar  3  2021 good-dir\r\n"
    "-rw-r--r--\r\n";

}  // namespace

struct ScriptedFtpd::Client {
  int control = -1;
  int passive = -1;  // listening data socket after PASV/EPSV
  std::string pending;
  bool loggedIn = false;
};

std::optional<Scenario> ScenarioFromName(std::string_view name) {
  for (const auto& entry : kScenarios) {
    if (name == entry.name) return entry.scenario;
  }
  return std::nullopt;
}

std::vector<std::string> ScenarioNames() {
  std::vector<std::string> names;
  for (const auto& entry : kScenarios) names.emplace_back(entry.name);
  return names;
}

ScriptedFtpd::ScriptedFtpd(Scenario scenario) : m_scenario(scenario) {
  m_files["hello.txt"] = "hello\r\nworld\r\n";
  m_listenFd = listenLoopback(&m_port);
  m_stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (m_listenFd < 0 || m_stopFd < 0) {
    std::perror("scripted ftpd: cannot listen on 127.0.0.1");
    std::abort();
  }
  m_thread = std::thread([this] { run(); });
}

ScriptedFtpd::~ScriptedFtpd() {
  const uint64_t one = 1;
  (void)!::write(m_stopFd, &one, sizeof one);
  m_thread.join();
  closeFd(m_listenFd);
  closeFd(m_stopFd);
}

std::string ScriptedFtpd::address() const { return "127.0.0.1:" + std::to_string(m_port); }

std::vector<std::string> ScriptedFtpd::commands() const {
  std::lock_guard lock(m_mutex);
  return m_commands;
}

std::map<std::string, std::string> ScriptedFtpd::files() const {
  std::lock_guard lock(m_mutex);
  return m_files;
}

void ScriptedFtpd::putFile(const std::string& name, const std::string& content) {
  std::lock_guard lock(m_mutex);
  m_files[name] = content;
}

void ScriptedFtpd::record(const std::string& line) {
  // A password is masked; an empty one stays visible as a bare "PASS".
  const bool pass =
      line.size() > 5 && (line.compare(0, 5, "PASS ") == 0 || line.compare(0, 5, "pass ") == 0);
  const std::string kept = pass ? "PASS ****" : line;
  std::lock_guard lock(m_mutex);
  m_commands.push_back(kept);
  if (m_observer) m_observer(kept);
}

void ScriptedFtpd::stallUntilClosed(int fd) const {
  // Silent, reading and ignoring input, until the client gives up or the server stops.
  for (;;) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0) return;
    char buffer[256];
    if (fds[0].revents != 0 && ::recv(fd, buffer, sizeof buffer, 0) <= 0) return;
  }
}

bool ScriptedFtpd::waitReadable(int fd, int timeoutMs) const {
  pollfd fds[2] = {{fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
  const int ready = ::poll(fds, 2, timeoutMs);
  return ready > 0 && (fds[1].revents & POLLIN) == 0 && fds[0].revents != 0;
}

void ScriptedFtpd::run() {
  for (;;) {
    if (!waitReadable(m_listenFd, -1)) return;
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    serve(fd);
    ::close(fd);
  }
}

void ScriptedFtpd::serve(int controlFd) {
  Client client;
  client.control = controlFd;
  if (m_scenario == Scenario::CloseBeforeGreeting) return;
  if (!reply(controlFd, "220 scripted server ready")) return;
  for (;;) {
    const size_t end = client.pending.find("\r\n");
    if (end == std::string::npos) {
      if (!waitReadable(controlFd, kIdleMs)) break;
      char buffer[4096];
      const ssize_t got = ::recv(controlFd, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      client.pending.append(buffer, static_cast<size_t>(got));
      continue;
    }
    const std::string line = client.pending.substr(0, end);
    client.pending.erase(0, end + 2);
    record(line);
    const size_t space = line.find(' ');
    std::string verb = line.substr(0, space);
    for (char& c : verb) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!handle(client, verb, space == std::string::npos ? "" : line.substr(space + 1))) break;
  }
  closeFd(client.passive);
}

// Answers one command; false ends the connection.
bool ScriptedFtpd::handle(Client& client, const std::string& verb, const std::string& arg) {
  const int fd = client.control;
  if (verb == "USER") return reply(fd, "331 Password please.");
  if (verb == "PASS") {
    if (m_scenario == Scenario::CloseAfterPass) return false;
    client.loggedIn = true;
    return reply(fd, "230 Logged in.");
  }
  if (verb == "FEAT") {
    const bool mlst = m_scenario == Scenario::MlsdRefused;
    return sendAll(fd, std::string("211-Features:\r\n EPSV\r\n SIZE\r\n") +
                           (mlst ? " MLST type*;size*;modify*;\r\n" : "") + "211 End\r\n");
  }
  if (verb == "QUIT") {
    reply(fd, "221 Bye.");
    return false;
  }
  if (m_scenario == Scenario::Stall && client.loggedIn && verb != "OPTS" && verb != "TYPE") {
    stallUntilClosed(fd);
    return false;
  }
  if (verb == "PWD") {
    if (m_scenario == Scenario::DropMidReply) {
      sendAll(fd, "257 \"/half");
      return false;
    }
    if (m_scenario == Scenario::LongReplyLine) {
      return reply(fd, "257 \"/" + std::string(100 * 1024, 'x') + "\"");
    }
    return reply(fd, "257 \"/\" is the current directory.");
  }
  if (verb == "CWD") return reply(fd, "250 OK.");
  if (verb == "TYPE") return reply(fd, "200 Type set.");
  if (verb == "OPTS") return reply(fd, "501 No options.");
  if (verb == "EPSV" || verb == "PASV") return handlePassive(client, verb == "EPSV");
  if (verb == "PORT" || verb == "EPRT") return reply(fd, "502 Active mode is not offered.");
  if (verb == "DELE") {
    if (m_scenario == Scenario::MultiLineError) {
      return sendAll(fd, "550-Cannot delete " + arg + ":\r\n550-the file is locked\r\n" +
                             "550 by another session.\r\n");
    }
    std::lock_guard lock(m_mutex);
    return reply(fd, m_files.erase(arg) ? "250 Deleted." : "550 No such file.");
  }
  if (verb == "MLSD" && m_scenario == Scenario::MlsdRefused) {
    return reply(fd, "500 Unknown command.");
  }
  if (verb == "LIST" || verb == "MLSD" || verb == "RETR" || verb == "STOR") {
    return handleTransfer(client, verb, arg);
  }
  return reply(fd, "502 Command not implemented.");
}

bool ScriptedFtpd::handlePassive(Client& client, bool extended) {
  const int fd = client.control;
  const bool refuseEpsv =
      m_scenario == Scenario::EpsvRefused || m_scenario == Scenario::PasvForeignAddress;
  if (extended && refuseEpsv) return reply(fd, "500 EPSV not understood.");
  closeFd(client.passive);
  uint16_t port = 0;
  client.passive = listenLoopback(&port);
  if (client.passive < 0) return reply(fd, "425 Cannot open data connection.");
  if (extended) {
    return reply(fd, "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)");
  }
  // The foreign address is only named: the listener is ours on 127.0.0.1.
  const std::string host = m_scenario == Scenario::PasvForeignAddress ? "192,0,2,1" : "127,0,0,1";
  return reply(fd, "227 Entering Passive Mode (" + host + "," + std::to_string(port >> 8) + "," +
                       std::to_string(port & 0xFF) + ").");
}

int ScriptedFtpd::acceptData(Client& client) {
  if (client.passive < 0 || !waitReadable(client.passive, kDataAcceptMs)) return -1;
  const int data = ::accept4(client.passive, nullptr, nullptr, SOCK_CLOEXEC);
  closeFd(client.passive);
  return data;
}

bool ScriptedFtpd::handleTransfer(Client& client, const std::string& verb, const std::string& arg) {
  if (client.passive < 0) return reply(client.control, "425 Use PASV or EPSV first.");
  if (verb == "STOR" && m_scenario == Scenario::StorRefused452) {
    closeFd(client.passive);
    return reply(client.control, "452 Insufficient storage space.");
  }
  if (verb == "RETR") return handleRetrieve(client, arg);
  if (verb == "STOR") return handleStore(client, arg);
  return handleList(client);
}

bool ScriptedFtpd::handleList(Client& client) {
  std::string listing;
  if (m_scenario == Scenario::GarbageListing) {
    listing = kGarbageListing;
  } else {
    std::lock_guard lock(m_mutex);
    for (const auto& [name, content] : m_files) {
      listing += "-rw-r--r-- 1 user group " + std::to_string(content.size()) + " Jan  1  2020 " +
                 name + "\r\n";
    }
  }
  if (!reply(client.control, "150 Here comes the listing.")) return false;
  int data = acceptData(client);
  if (data < 0) return reply(client.control, "425 No data connection.");
  if (m_scenario == Scenario::CloseDuringList) {
    sendAll(data, listing.substr(0, listing.size() / 2));
    closeFd(data);
    return false;
  }
  sendAll(data, listing);
  closeFd(data);
  return reply(client.control, "226 Listing sent.");
}

bool ScriptedFtpd::handleRetrieve(Client& client, const std::string& name) {
  std::string content;
  {
    std::lock_guard lock(m_mutex);
    const auto it = m_files.find(name);
    if (it == m_files.end()) {
      closeFd(client.passive);
      return reply(client.control, "550 No such file.");
    }
    content = it->second;
  }
  if (!reply(client.control, "150 Sending.")) return false;
  int data = acceptData(client);
  if (data < 0) return reply(client.control, "425 No data connection.");
  if (m_scenario == Scenario::StallDuringRetr) {
    sendAll(data, content.substr(0, content.size() / 2));
    stallUntilClosed(client.control);
    closeFd(data);
    return false;
  }
  sendAll(data, content);
  closeFd(data);
  if (m_scenario == Scenario::CloseBefore226) return false;
  return reply(client.control, "226 Transfer complete.");
}

bool ScriptedFtpd::handleStore(Client& client, const std::string& name) {
  if (!reply(client.control, "150 Send it.")) return false;
  int data = acceptData(client);
  if (data < 0) return reply(client.control, "425 No data connection.");
  if (m_scenario == Scenario::StallDuringStor) {
    stallUntilClosed(client.control);
    closeFd(data);
    return false;
  }
  const bool breaks =
      m_scenario == Scenario::CloseDuringStor || m_scenario == Scenario::StorRefused552Mid;
  std::string content;
  char buffer[64 * 1024];
  for (;;) {
    if (breaks && content.size() >= 64 * 1024) break;
    if (!waitReadable(data, kIdleMs)) break;
    const ssize_t got = ::recv(data, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    content.append(buffer, static_cast<size_t>(got));
  }
  if (breaks) {
    // Unread data makes the close a reset, as a crashing server's would be.
    if (m_scenario == Scenario::StorRefused552Mid) {
      reply(client.control, "552 Exceeded storage allocation.");
    }
    closeFd(data);
    return m_scenario == Scenario::StorRefused552Mid;
  }
  closeFd(data);
  if (m_scenario == Scenario::CloseAfterStorData) return false;  // all the data, but no 226
  putFile(name, content);
  return reply(client.control, "226 Stored.");
}

}  // namespace testsupport
