// The window's controls as plain values, for runs without a window: the three boxes and the
// passive switch in its checked design state. A refresh still lists the server (its failures
// are reported), but with no list box to fill its lines are dropped as they come.
#pragma once

#include <string>

#include "uploader/WindowControls.h"

class UnattendedControls : public WindowControls {
 public:
  std::u16string serverText() const override { return m_server; }
  std::u16string userText() const override { return m_user; }
  std::u16string passText() const override { return m_pass; }
  void setServerText(const std::u16string& text) override { m_server = text; }
  void setUserText(const std::u16string& text) override { m_user = text; }
  void setPassText(const std::u16string& text) override { m_pass = text; }
  bool passiveChecked() const override { return true; }
  void setOpenEnabled(bool) override {}
  void clearList() override {}
  void addListLine(const std::u16string&) override {}
  std::u16string selectedLine() const override { return {}; }

 private:
  std::u16string m_server;
  std::u16string m_user;
  std::u16string m_pass;
};
