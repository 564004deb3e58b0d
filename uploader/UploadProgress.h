// What shows a person how far the start-up's upload has come and lets them stop it: a small
// window where there is a display, a one-line meter where standard error is a terminal. The
// start-up asks for one when an upload begins and tells it the progress a few times a second.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class UploadProgress {
 public:
  virtual ~UploadProgress() = default;

  // The upload has sent `bytes` of `total` (0: not known). Called on the start-up's thread
  // inside the upload, at most five times a second and at least that often while the upload
  // waits, so a window can keep itself alive here. Returns false once the person asked to
  // cancel: the upload then stops and fails.
  virtual bool update(uint64_t bytes, uint64_t total) = 0;
};

// Makes the progress display of one upload of `localFile`; it ends (the window closes, the
// meter's line is cleared) when the object is destroyed, however the upload ended. May return
// null: nothing to show.
using UploadProgressFactory =
    std::function<std::unique_ptr<UploadProgress>(const std::u16string& localFile)>;
