#include "platform/inet/TransferWatch.h"

namespace inet {

TransferWatch::TransferWatch(const StatusCallback& callback, uintptr_t context, uint64_t total)
    : m_callback(callback), m_context(context), m_next(std::chrono::steady_clock::now()) {
  m_progress.total = total;
}

void TransferWatch::add(uint64_t bytes) {
  m_progress.bytes += bytes;
  tellIfDue();
}

bool TransferWatch::tick() {
  tellIfDue();
  return !m_cancelled;
}

void TransferWatch::tellIfDue() {
  if (m_cancelled) return;
  const auto now = std::chrono::steady_clock::now();
  if (now < m_next) return;
  m_next = now + kProgressInterval;
  if (!m_callback(m_context, m_progress)) m_cancelled = true;
}

}  // namespace inet
