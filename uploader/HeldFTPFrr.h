// Holds back the FTPFrr events of a session for a step whose failure its caller handles itself
// (a fallback follows, or the failure is told later, or not at all): while the hold lives the
// events do not reach the session's own handler, and so show no box.
#pragma once

#include <cstdint>
#include <string>

#include "ftp/McWinFTP.h"

class HeldFTPFrr {
 public:
  explicit HeldFTPFrr(McWinFTP& clsFtp);
  // Puts the session's own handler back; events held are not passed on.
  ~HeldFTPFrr();
  HeldFTPFrr(const HeldFTPFrr&) = delete;
  HeldFTPFrr& operator=(const HeldFTPFrr&) = delete;

  // Whether an event was held, and the last one.
  bool held() const { return m_held; }
  int32_t lastNumber() const { return m_number; }
  const std::u16string& lastText() const { return m_text; }

 private:
  McWinFTP& m_clsFtp;
  McWinFTP::FTPFrrHandler m_owner;
  bool m_held = false;
  int32_t m_number = 0;
  std::u16string m_text;
};
