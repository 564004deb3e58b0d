#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"

namespace testsupport {
namespace {

thread_local std::string t_lastStartFailure;

}  // namespace

std::string LastStartFailure() { return t_lastStartFailure; }

std::unique_ptr<FtpServer> detail::Started(std::unique_ptr<FtpServer> server,
                                           const std::string& failure) {
  t_lastStartFailure = failure;
  return failure.empty() ? std::move(server) : nullptr;
}

FtpServer::FtpServer(std::string host, std::string user, std::string password)
    : m_host(std::move(host)), m_user(std::move(user)), m_password(std::move(password)) {}

FtpServer::~FtpServer() {
  if (m_pid > 0) StopProcess(m_pid);
}

std::vector<std::string> FtpServer::commands() const {
  ADD_FAILURE() << "this server keeps no command log";
  return {};
}

std::string FtpServer::address() const {
  std::string port = std::to_string(m_port);
  return m_host.find(':') != std::string::npos ? "[" + m_host + "]:" + port : m_host + ":" + port;
}

std::string FtpServer::serverOutput() const {
  std::error_code ec;
  std::string path = m_work.file("server.out");
  if (!std::filesystem::exists(path, ec)) return {};
  return ReadFile(path);
}

}  // namespace testsupport
