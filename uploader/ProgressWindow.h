// The progress window of the start-up's upload, on either system: what the window of each
// toolkit provides, and the rules both share (shown only once the upload has run a second,
// redrawn a few times a second, the window system kept alive at every progress report).
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "uploader/ProgressPace.h"
#include "uploader/UploadProgress.h"

class ProgressWindow {
 public:
  // Closes the window.
  virtual ~ProgressWindow() = default;
  virtual void display(const ProgressView& view) = 0;
  // Lets the window system run (painting, the button, moving the window) without waiting, and
  // says whether the person has pressed "キャンセル" (or closed the window).
  virtual bool cancelRequested() = 0;
};

// Opens the window for an upload of `localFile`; null when it cannot be opened.
using ProgressWindowFactory =
    std::function<std::unique_ptr<ProgressWindow>(const std::u16string& localFile)>;
using ProgressClock = std::function<std::chrono::steady_clock::time_point()>;

// The start-up's progress through windows that `open` makes.
UploadProgressFactory WindowProgressFactory(ProgressWindowFactory open,
                                            ProgressClock now = std::chrono::steady_clock::now);
