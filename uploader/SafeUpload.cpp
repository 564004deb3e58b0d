#include "uploader/SafeUpload.h"

#include <functional>

#include "platform/inet/InternetApi.h"
#include "uploader/FailureKinds.h"
#include "uploader/HeldFTPFrr.h"
#include "uploader/UploadNaming.h"

namespace {

// One step of the session with its failure held back: whether it worked, and if not, the event
// that said why.
struct Attempt {
  bool ok = false;
  int32_t number = 0;
  std::u16string text;
};

Attempt attempt(McWinFTP& clsFtp, const std::function<bool()>& step) {
  const HeldFTPFrr held(clsFtp);
  Attempt result;
  result.ok = step();
  result.number = held.lastNumber();
  result.text = held.lastText();
  return result;
}

// Shows a held failure after all: it ends the upload.
void show(McWinFTP& clsFtp, const Attempt& failed) {
  if (clsFtp.OnFTPFrr()) clsFtp.OnFTPFrr()(failed.number, failed.text);
}

enum class Verdict { Matches, Differs, Unknown };

// The stored size against the local one. A server that cannot tell (no SIZE) is no failure.
Verdict checkSize(McWinFTP& clsFtp, const std::u16string& name, std::optional<uint64_t> localSize) {
  if (!localSize) return Verdict::Unknown;
  int64_t size = -1;
  attempt(clsFtp, [&] { return (size = clsFtp.FileSize(name)) >= 0; });
  if (size < 0) return Verdict::Unknown;
  return static_cast<uint64_t>(size) == *localSize ? Verdict::Matches : Verdict::Differs;
}

// The size check's failure, told as the session's failures are, so that whoever watches them
// (the error box, the retry rule) sees it as the one that ended the upload.
void sayDiffers(McWinFTP& clsFtp) {
  const auto code = static_cast<int32_t>(inet::kErrorStoredSizeDiffers);
  show(clsFtp, {false, code, std::u16string(inet::ErrorMessage(code))});
}

// Removes what this upload left under the temporary name, where the connection still serves;
// a failure there changes nothing for the upload.
void removeTemporary(McWinFTP& clsFtp, const std::u16string& temporary) {
  if (clsFtp.hFTP() == 0) return;
  attempt(clsFtp, [&] { return clsFtp.DeleteFile(temporary) != 0; });
}

// Stores straight under the remote name, failures shown.
SafeUploadResult storeDirectly(McWinFTP& clsFtp, const std::u16string& localFile,
                               const std::u16string& remoteName, std::optional<uint64_t> localSize,
                               UploadRoute route) {
  SafeUploadResult result{false, route, false};
  if (clsFtp.PutFile(localFile, remoteName, 0) == 0) return result;
  const Verdict verdict = checkSize(clsFtp, remoteName, localSize);
  if (verdict == Verdict::Differs) {
    sayDiffers(clsFtp);
    return result;
  }
  result.stored = true;
  result.verified = verdict == Verdict::Matches;
  return result;
}

enum class Renamed { Yes, OverDeletedTarget, RefusedHere, Failed };

// RNFR/RNTO of the temporary to the remote name; refused as a name (the target exists, as IIS
// and other Windows servers answer) it deletes the target and tries once more.
Renamed renameIntoPlace(McWinFTP& clsFtp, const std::u16string& temporary,
                        const std::u16string& remoteName, Attempt* failure) {
  *failure = attempt(clsFtp, [&] { return clsFtp.RenameFile(temporary, remoteName) != 0; });
  if (failure->ok) return Renamed::Yes;
  if (!IsServerRefusal(failure->number)) return Renamed::Failed;
  if (!IsNameRefusal(failure->number)) return Renamed::RefusedHere;
  if (!attempt(clsFtp, [&] { return clsFtp.DeleteFile(remoteName) != 0; }).ok) {
    return Renamed::RefusedHere;
  }
  *failure = attempt(clsFtp, [&] { return clsFtp.RenameFile(temporary, remoteName) != 0; });
  if (failure->ok) return Renamed::OverDeletedTarget;
  return IsServerRefusal(failure->number) ? Renamed::RefusedHere : Renamed::Failed;
}

}  // namespace

const char* UploadRouteName(UploadRoute route) {
  switch (route) {
    case UploadRoute::Rename:
      return "rename";
    case UploadRoute::Replace:
      return "replace";
    case UploadRoute::Direct:
      return "direct";
    case UploadRoute::InPlace:
      return "in-place";
  }
  return "";
}

SafeUploadResult UploadSafely(McWinFTP& clsFtp, const std::u16string& localFile,
                              const std::u16string& remoteName, std::optional<uint64_t> localSize,
                              bool inPlace) {
  const std::u16string temporary = inPlace ? std::u16string() : TemporaryRemoteName(remoteName);
  if (temporary.empty()) {
    return storeDirectly(clsFtp, localFile, remoteName, localSize, UploadRoute::InPlace);
  }
  const Attempt put = attempt(clsFtp, [&] { return clsFtp.PutFile(localFile, temporary, 0) != 0; });
  if (!put.ok && IsNameRefusal(put.number)) {
    // No temporary name may be made here (an account that may write only the target, say).
    return storeDirectly(clsFtp, localFile, remoteName, localSize, UploadRoute::Direct);
  }
  if (!put.ok) {
    show(clsFtp, put);
    removeTemporary(clsFtp, temporary);
    return {};
  }
  const Verdict verdict = checkSize(clsFtp, temporary, localSize);
  if (verdict == Verdict::Differs) {
    sayDiffers(clsFtp);
    removeTemporary(clsFtp, temporary);
    return {};
  }
  Attempt failure;
  switch (renameIntoPlace(clsFtp, temporary, remoteName, &failure)) {
    case Renamed::Yes:
      return {true, UploadRoute::Rename, verdict == Verdict::Matches};
    case Renamed::OverDeletedTarget:
      return {true, UploadRoute::Replace, verdict == Verdict::Matches};
    case Renamed::RefusedHere: {
      // An account without the right to rename: the file goes straight to its name.
      const SafeUploadResult result =
          storeDirectly(clsFtp, localFile, remoteName, localSize, UploadRoute::Direct);
      removeTemporary(clsFtp, temporary);
      return result;
    }
    case Renamed::Failed:
      break;
  }
  show(clsFtp, failure);
  removeTemporary(clsFtp, temporary);
  return {};
}
