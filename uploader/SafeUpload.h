// The start-up's upload, made so that the remote name never holds part of a file: the file is
// stored under a temporary name in the same folder (TemporaryRemoteName), its stored size
// checked against the local one, and renamed into place, with the fallbacks servers need. Or,
// asked for, straight under the remote name as before (in place).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ftp/McWinFTP.h"

// How the file reached its name, for the run's record.
enum class UploadRoute {
  Rename,   // stored under the temporary name, then renamed
  Replace,  // the rename was refused over the existing file: that was deleted, then renamed
  Direct,   // no temporary name could be used: stored straight under the remote name
  InPlace,  // asked for: stored straight under the remote name
};

struct SafeUploadResult {
  bool stored = false;
  UploadRoute via = UploadRoute::Rename;
  bool verified = false;  // the server's size of the stored file matched the local size
};

// "rename", "replace", "direct", "in-place".
const char* UploadRouteName(UploadRoute route);

// Uploads `localFile` in binary mode to `remoteName` on the connected `clsFtp`:
//   - STOR of the temporary name; refused as a name (550, 553) -> straight to the remote name;
//   - its size by SIZE where the server tells it (`localSize` known): a different size fails
//     with the box 12190, the temporary removed, the target left as it was;
//   - RNFR/RNTO to the remote name; RNTO refused as a name (550: the target exists, as IIS
//     answers) -> DELE of the target and the rename again; refused otherwise or again ->
//     straight to the remote name, and the temporary removed;
//   - after any failure where the connection still serves, the temporary is removed.
// With `inPlace`, or for a remote name without a file name, straight to the remote name.
// Only the failure that ends the upload is shown, through clsFtp's FTPFrr handler (the size
// check's as 12190); those a fallback answers are held back.
SafeUploadResult UploadSafely(McWinFTP& clsFtp, const std::u16string& localFile,
                              const std::u16string& remoteName, std::optional<uint64_t> localSize,
                              bool inPlace);
