// The engine's error code for the status code of an SFTP reply (protocol 3, with the codes of
// later versions that some servers send): the same number as FTP where it means the same, one
// of the SFTP codes of the error table otherwise. Pure.
#pragma once

#include <cstdint>

namespace inet {

// 2 no such file, 3 permission denied, 5 bad message, 8 unsupported have codes of their own;
// 6 and 7 (no connection, connection lost) are a dropped connection; 4 and any other is the
// server's general failure.
uint32_t SftpStatusError(unsigned long status);

}  // namespace inet
