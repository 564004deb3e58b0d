// Helpers for the tests of the Win32 windows under wine: child processes, waiting for windows,
// reading controls, and registry values set for a while.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/winui/Win32.h"

namespace wintest {

// A program started with CreateProcessW; ended (TerminateProcess) if still running when the
// object goes away.
class Child {
 public:
  // Starts `exe` with `arguments` in `folder`; its standard output and error go to
  // `outputFile`. started() tells whether it runs.
  Child(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
        const std::wstring& outputFile);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return m_process != nullptr; }
  DWORD id() const { return m_id; }
  // The exit status once it ended within `milliseconds`; nothing while it still runs.
  std::optional<DWORD> waitExit(DWORD milliseconds);

 private:
  HANDLE m_process = nullptr;
  DWORD m_id = 0;
};

// The first visible top-level window of `className` and `title` (either may be null) of the
// process `processId` (0: any), waited for up to `milliseconds`; null if none showed.
HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD processId,
                   DWORD milliseconds);
// Waits up to `milliseconds` for `window` to be gone or hidden; or gone.
bool WaitHidden(HWND window, DWORD milliseconds);
bool WaitGone(HWND window, DWORD milliseconds);

// The text of any window, also of another process's (WM_GETTEXT).
std::u16string TextOf(HWND window);
// The child control of `parent` of `className` whose text is `text` (null: the first).
HWND ControlOf(HWND parent, const wchar_t* className, const wchar_t* text = nullptr);
// The direct children of `window`, top of the stacking order first.
std::vector<HWND> ChildrenOf(HWND window);

// `text` in UTF-8, for the probes' reports.
std::string Utf8(const std::u16string& text);
// The text of a message box (its static texts), line breaks as " / ".
std::u16string BoxText(HWND box);

// A path of the test support's folders (TempDir) as the wide API takes it.
std::wstring WidePath(const std::string& path);

// Registry values of one key of HKEY_CURRENT_USER set or deleted for the object's life, then put
// back as they were.
class RegistryValues {
 public:
  explicit RegistryValues(std::wstring key) : m_key(std::move(key)) {}
  ~RegistryValues();
  RegistryValues(const RegistryValues&) = delete;
  RegistryValues& operator=(const RegistryValues&) = delete;

  void setString(const std::wstring& name, const std::wstring& value);
  void setDword(const std::wstring& name, DWORD value);
  void remove(const std::wstring& name);

 private:
  struct Saved {
    std::wstring name;
    bool existed;
    DWORD type;
    std::vector<BYTE> data;
  };
  void save(const std::wstring& name);

  std::wstring m_key;
  std::vector<Saved> m_saved;
};

}  // namespace wintest
