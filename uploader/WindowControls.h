// The uploader window's controls as its handlers and the start-up see them, without a window
// toolkit: the Qt window, the Win32 window and the unattended run each implement it over what
// they have.
#pragma once

#include <string>

class WindowControls {
 public:
  virtual ~WindowControls() = default;
  virtual std::u16string serverText() const = 0;  // txtServer
  virtual std::u16string userText() const = 0;    // txtUser
  virtual std::u16string passText() const = 0;    // txtPass
  virtual void setServerText(const std::u16string& text) = 0;
  virtual void setUserText(const std::u16string& text) = 0;
  virtual void setPassText(const std::u16string& text) = 0;
  virtual bool passiveChecked() const = 0;        // chkPassive in any state but unchecked
  virtual void setOpenEnabled(bool enabled) = 0;  // cmdOpen
  virtual void clearList() = 0;                   // lstFiles: remove every line
  virtual void addListLine(const std::u16string& line) = 0;  // lstFiles: append a line
  // The text of lstFiles' selected line; empty when no line is selected.
  virtual std::u16string selectedLine() const = 0;
};
