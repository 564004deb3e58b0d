#include "uploader/ProgressWindow.h"

#include <utility>

namespace {

// Redraws at most this often: the figures cannot be read faster, and each redraw costs.
constexpr std::chrono::milliseconds kRedrawEvery{200};

class WindowProgress final : public UploadProgress {
 public:
  WindowProgress(ProgressWindowFactory open, ProgressClock now, std::u16string localFile)
      : m_open(std::move(open)), m_now(std::move(now)), m_localFile(std::move(localFile)),
        m_started(m_now()) {}

  bool update(uint64_t bytes, uint64_t total) override {
    const auto now = m_now();
    m_pace.add(now, bytes, total);
    if (!m_window) {
      if (m_tried || now - m_started < kProgressShowAfter) return true;
      m_tried = true;  // one attempt: a window that cannot be opened is not asked for again
      m_window = m_open(m_localFile);
      if (!m_window) return true;
      m_window->display(m_pace.view());
      m_drawn = now;
    } else if (now - m_drawn >= kRedrawEvery) {
      m_window->display(m_pace.view());
      m_drawn = now;
    }
    return !m_window->cancelRequested();
  }

 private:
  ProgressWindowFactory m_open;
  ProgressClock m_now;
  std::u16string m_localFile;
  std::chrono::steady_clock::time_point m_started;
  std::chrono::steady_clock::time_point m_drawn;
  ProgressPace m_pace;
  std::unique_ptr<ProgressWindow> m_window;
  bool m_tried = false;
};

}  // namespace

UploadProgressFactory WindowProgressFactory(ProgressWindowFactory open, ProgressClock now) {
  return [open = std::move(open), now = std::move(now)](const std::u16string& localFile) {
    return std::unique_ptr<UploadProgress>(new WindowProgress(open, now, localFile));
  };
}
