#include "uploader/FailureKinds.h"

#include "platform/inet/InternetApi.h"

bool IsTransientFailure(ExitStatus status, int32_t ErrNumber) {
  if (status != ExitStatus::NotConnected && status != ExitStatus::UploadFailed) return false;
  if (ErrNumber >= 400 && ErrNumber < 500) return true;
  switch (static_cast<uint32_t>(ErrNumber)) {
    case inet::kErrorInternetTimeout:
    case inet::kErrorInternetCannotConnect:
    case inet::kErrorInternetConnectionAborted:
    case inet::kErrorFtpDropped:
    case inet::kErrorNameResolutionTemporary:
      return true;
    default:
      return false;
  }
}

namespace {

bool isSftpRefusal(int32_t ErrNumber) {
  switch (static_cast<uint32_t>(ErrNumber)) {
    case inet::kErrorSftpNoSuchFile:
    case inet::kErrorSftpPermissionDenied:
    case inet::kErrorSftpFailure:
    case inet::kErrorSftpBadMessage:
    case inet::kErrorSftpUnsupported:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool IsServerRefusal(int32_t ErrNumber) {
  return (ErrNumber >= 400 && ErrNumber < 600) || isSftpRefusal(ErrNumber);
}

bool IsNameRefusal(int32_t ErrNumber) {
  return ErrNumber == 550 || ErrNumber == 553 ||
         ErrNumber == static_cast<int32_t>(inet::kErrorSftpNoSuchFile) ||
         ErrNumber == static_cast<int32_t>(inet::kErrorSftpPermissionDenied) ||
         ErrNumber == static_cast<int32_t>(inet::kErrorSftpFailure);
}
