#include "platform/inet/SftpStatus.h"

#include "platform/inet/InternetApi.h"

namespace inet {

uint32_t SftpStatusError(unsigned long status) {
  switch (status) {
    case 2:   // SSH_FX_NO_SUCH_FILE
    case 10:  // SSH_FX_NO_SUCH_PATH (version 4 on)
      return kErrorSftpNoSuchFile;
    case 3:   // SSH_FX_PERMISSION_DENIED
    case 12:  // SSH_FX_WRITE_PROTECT
      return kErrorSftpPermissionDenied;
    case 5:  // SSH_FX_BAD_MESSAGE
      return kErrorSftpBadMessage;
    case 6:  // SSH_FX_NO_CONNECTION
    case 7:  // SSH_FX_CONNECTION_LOST
      return kErrorInternetConnectionAborted;
    case 8:  // SSH_FX_OP_UNSUPPORTED
      return kErrorSftpUnsupported;
    default:  // 4 SSH_FX_FAILURE, 11 FILE_ALREADY_EXISTS, 18 DIR_NOT_EMPTY ...
      return kErrorSftpFailure;
  }
}

}  // namespace inet
