// Internal to the engine: one FTP data connection, opened towards the server (passive) or
// accepted from it (active), with every read and write bounded by the data idle timeout.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <string_view>

#include "platform/inet/FtpEngine.h"
#include "platform/inet/FtpStatus.h"

namespace inet {

class DataChannel {
 public:
  DataChannel(asio::io_context& io, const EngineOptions& options);
  DataChannel(const DataChannel&) = delete;
  DataChannel& operator=(const DataChannel&) = delete;
  ~DataChannel();

  // Passive mode: connects to `endpoint`.
  Status connect(const asio::ip::tcp::endpoint& endpoint);

  // Active mode: listens on `address` (port chosen by the system), then accepts the server's
  // connection, only from `expectedPeer` (other connections are closed and ignored).
  Status listen(const asio::ip::address& address, uint16_t* port);
  Status accept(const asio::ip::address& expectedPeer);

  // Reads what has arrived: `*received` bytes, or `*eof` once the server closed cleanly.
  Status read(char* buffer, size_t capacity, size_t* received, bool* eof);
  Status write(std::string_view bytes);
  // Ends the upload: shuts down sending and waits for the server to close its side.
  Status finishUpload();

  void close();

 private:
  asio::io_context& m_io;
  const EngineOptions& m_options;
  asio::ip::tcp::socket m_socket;
  asio::ip::tcp::acceptor m_acceptor;
};

}  // namespace inet
