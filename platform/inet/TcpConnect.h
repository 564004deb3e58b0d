// Internal to the engine: the TCP connection to a server, shared by the FTP control connection
// and the SSH transport. Resolves the host and tries each of its addresses in order until one
// connects, each within the connect timeout.
#pragma once

#include <asio.hpp>
#include <chrono>

#include "platform/inet/FtpStatus.h"
#include "platform/inet/ServerAddress.h"

namespace inet {

// Connects `socket` (closed or fresh) to `address`: kErrorInternetNameNotResolved,
// kErrorNameResolutionTemporary, kErrorInternetCannotConnect or kErrorInternetTimeout, the
// socket closed on failure. Names
// reserved as never resolving fail at once.
Status ConnectToServer(asio::io_context& io, asio::ip::tcp::socket& socket,
                       const ServerAddress& address, std::chrono::milliseconds connectTimeout);

}  // namespace inet
