#include "uploader/HeldFTPFrr.h"

HeldFTPFrr::HeldFTPFrr(McWinFTP& clsFtp) : m_clsFtp(clsFtp), m_owner(clsFtp.OnFTPFrr()) {
  m_clsFtp.OnFTPFrr([this](int32_t ErrNumber, const std::u16string& ErrString) {
    m_held = true;
    m_number = ErrNumber;
    m_text = ErrString;
  });
}

HeldFTPFrr::~HeldFTPFrr() { m_clsFtp.OnFTPFrr(m_owner); }
