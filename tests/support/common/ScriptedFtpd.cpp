// The scripted misbehaving server fixture: runs scripted_ftpd.py with a scenario.
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/ServerStart.h"

#ifndef QP_SCRIPTED_FTPD_DIR
#error "QP_SCRIPTED_FTPD_DIR must name the folder of scripted_ftpd.py"
#endif

namespace testsupport {

std::unique_ptr<FtpServer> StartScriptedFtpd(const std::string& scenario,
                                             const std::string& tlsCertificate) {
  auto server = std::make_unique<detail::PythonServer>("127.0.0.1", "tester", "secret");
  std::vector<std::string> arguments = {scenario, "--store", server->root()};
  if (!tlsCertificate.empty()) arguments.insert(arguments.end(), {"--cert", tlsCertificate});
  return detail::StartPythonServer(std::move(server),
                                   std::string(QP_SCRIPTED_FTPD_DIR) + "/scripted_ftpd.py",
                                   std::move(arguments));
}

}  // namespace testsupport
