// A deliberately misbehaving FTP server for fault tests: it plays a normal small server over
// one in-memory folder, except for the one fault its scenario names. Runs on a thread of its
// own, listening on 127.0.0.1 (port chosen by the system), one client at a time. It never
// connects anywhere itself: active mode (PORT/EPRT) is refused, whatever address a reply names.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testsupport {

enum class Scenario {
  Normal,               // behaves
  CloseBeforeGreeting,  // closes the connection before saying anything
  CloseAfterPass,       // closes the connection once PASS arrives, without a reply
  Stall,                // goes silent at the first command after logging in (PWD, LIST, ...)
  DropMidReply,         // answers PWD with half a line, then closes
  LongReplyLine,        // answers PWD with a single line of 100 KiB
  CloseDuringList,      // sends part of a listing, then closes data and control connections
  CloseDuringStor,      // reads a little of an upload, then closes both connections
  CloseBefore226,       // sends a whole download, closes the data connection, then closes
                        // the control connection without 226
  CloseAfterStorData,   // reads a whole upload, closes the data connection, then closes the
                        // control connection without 226 (and stores nothing)
  StallDuringRetr,      // sends part of a download, then goes silent with the data open
  StallDuringStor,      // accepts an upload's data connection, then reads nothing more
  StorRefused452,       // answers STOR with 452 before any data
  StorRefused552Mid,    // reads a little of an upload, then answers 552 and drops the data
  PasvForeignAddress,   // refuses EPSV with 500; PASV names 192.0.2.1 (the data port is ours)
  EpsvRefused,          // refuses EPSV with 500; PASV as usual
  MultiLineError,       // answers DELE with a three-line 550 reply
  GarbageListing,       // LIST mixes garbage lines with a few good ones
  MlsdRefused,          // FEAT lists MLST, but MLSD is answered with 500
};

// The scenario of a name such as "close-during-stor"; nullopt for an unknown name.
std::optional<Scenario> ScenarioFromName(std::string_view name);
// All names, for usage texts.
std::vector<std::string> ScenarioNames();

class ScriptedFtpd {
 public:
  // Starts listening at once; aborts the program when it cannot (nothing to test then).
  explicit ScriptedFtpd(Scenario scenario);
  // Stops the thread and closes every socket.
  ~ScriptedFtpd();
  ScriptedFtpd(const ScriptedFtpd&) = delete;
  ScriptedFtpd& operator=(const ScriptedFtpd&) = delete;

  uint16_t port() const { return m_port; }
  // "127.0.0.1:port", a server name with its port.
  std::string address() const;

  // Every command line received, without CR LF, a nonempty argument of PASS as "****".
  std::vector<std::string> commands() const;
  // Files in the served folder (name to content). Starts with "hello.txt".
  std::map<std::string, std::string> files() const;
  void putFile(const std::string& name, const std::string& content);

  // Receives every command line as it arrives (the standalone program prints them).
  void setCommandObserver(void (*observer)(const std::string& line)) { m_observer = observer; }

 private:
  struct Client;
  void run();
  void serve(int controlFd);
  bool handle(Client& client, const std::string& verb, const std::string& argument);
  bool handleTransfer(Client& client, const std::string& verb, const std::string& argument);
  bool handleList(Client& client);
  bool handleRetrieve(Client& client, const std::string& name);
  bool handleStore(Client& client, const std::string& name);
  bool handlePassive(Client& client, bool extended);
  int acceptData(Client& client);
  void record(const std::string& line);
  // Waits until `fd` is readable; false when the server is stopping.
  bool waitReadable(int fd, int timeoutMs) const;
  void stallUntilClosed(int fd) const;

  Scenario m_scenario;
  int m_listenFd = -1;
  int m_stopFd = -1;  // eventfd, readable once stopping
  uint16_t m_port = 0;
  mutable std::mutex m_mutex;
  std::vector<std::string> m_commands;
  std::map<std::string, std::string> m_files;
  void (*m_observer)(const std::string&) = nullptr;
  std::thread m_thread;
};

}  // namespace testsupport
