// The parts of file contents handling that are the same on every system.
#include "platform/files/FileIo.h"

namespace files {

IoStatus ReplaceFileAtomically(const std::string& target, std::string_view bytes,
                               FileAccess access) {
  AtomicFile file;
  IoStatus status = file.create(target, access);
  if (status.ok()) status = file.write(bytes);
  if (status.ok()) status = file.commit(IfTargetExists::Replace);
  return status;
}

}  // namespace files
