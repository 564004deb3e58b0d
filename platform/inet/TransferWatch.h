// Internal to the engine: one transfer's progress as the caller's status callback sees it, and
// the caller's chance to cancel it. The callback hears at most every kProgressInterval; the
// waits of a watched transfer wake that often to give it the word even while nothing moves.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/inet/InternetApi.h"

namespace inet {

inline constexpr std::chrono::milliseconds kProgressInterval{200};

class TransferWatch {
 public:
  // `callback` must outlive the watch. `total`: the file's size when known, else 0.
  TransferWatch(const StatusCallback& callback, uintptr_t context, uint64_t total);
  TransferWatch(const TransferWatch&) = delete;
  TransferWatch& operator=(const TransferWatch&) = delete;

  // `bytes` more of the file moved; the callback hears of it when its interval has passed.
  void add(uint64_t bytes);
  // The whole, once it is known (a download's announced size).
  void setTotal(uint64_t total) { m_progress.total = total; }
  // The transfer begins again from its first byte (tried once more).
  void restart() { m_progress.bytes = 0; }
  // For a wait: tells the callback when its interval has passed; false once it cancelled.
  bool tick();
  bool cancelled() const { return m_cancelled; }

 private:
  void tellIfDue();

  const StatusCallback& m_callback;
  uintptr_t m_context;
  TransferProgress m_progress;
  std::chrono::steady_clock::time_point m_next;
  bool m_cancelled = false;
};

}  // namespace inet
