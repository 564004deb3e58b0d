#include "tests/windows/Win32TestSupport.h"

#include <filesystem>

namespace wintest {
namespace {

struct Search {
  const wchar_t* className;
  const wchar_t* title;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM lParam) {
  auto& search = *reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (IsWindowVisible(window) && (search.processId == 0 || owner == search.processId) &&
      (search.className == nullptr || std::wstring(name) == search.className) &&
      (search.title == nullptr ||
       TextOf(window) == reinterpret_cast<const char16_t*>(search.title))) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

Child::Child(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
             const std::wstring& outputFile) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     folder.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
  }
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
}

Child::~Child() {
  if (m_process == nullptr) return;
  if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(m_process, 99);
    WaitForSingleObject(m_process, 5000);
  }
  CloseHandle(m_process);
}

std::optional<DWORD> Child::waitExit(DWORD milliseconds) {
  if (m_process == nullptr || WaitForSingleObject(m_process, milliseconds) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD status = 0;
  GetExitCodeProcess(m_process, &status);
  return status;
}

HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD processId,
                   DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  do {
    Search search{className, title, processId, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(50);
  } while (GetTickCount64() < end);
  return nullptr;
}

bool WaitHidden(HWND window, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
  return true;
}

bool WaitGone(HWND window, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (IsWindow(window)) {
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
  return true;
}

std::u16string TextOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, nullptr);
  return reinterpret_cast<const char16_t*>(text);
}

HWND ControlOf(HWND parent, const wchar_t* className, const wchar_t* text) {
  for (HWND child : ChildrenOf(parent)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (_wcsicmp(name, className) == 0 &&
        (text == nullptr || TextOf(child) == reinterpret_cast<const char16_t*>(text))) {
      return child;
    }
  }
  return nullptr;
}

std::vector<HWND> ChildrenOf(HWND window) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    children.push_back(c);
  }
  return children;
}

std::string Utf8(const std::u16string& text) {
  std::string bytes(text.size() * 3 + 1, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(text.c_str()),
                                    static_cast<int>(text.size()), bytes.data(),
                                    static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return bytes;
}

std::u16string BoxText(HWND box) {
  std::u16string text;
  for (HWND c : ChildrenOf(box)) {
    wchar_t name[16] = {};
    GetClassNameW(c, name, 16);
    if (std::wstring(name) == L"Static") text += TextOf(c);
  }
  for (size_t at; (at = text.find(u"\r\n")) != std::u16string::npos;) text.replace(at, 2, u" / ");
  return text;
}

std::wstring WidePath(const std::string& path) { return std::filesystem::path(path).wstring(); }

void RegistryValues::save(const std::wstring& name) {
  for (const Saved& s : m_saved) {
    if (s.name == name) return;  // the first state is the one to put back
  }
  Saved saved{name, false, 0, {}};
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, m_key.c_str(), name.c_str(), RRF_RT_ANY, &saved.type, nullptr,
                   &size) == ERROR_SUCCESS) {
    saved.data.resize(size);
    saved.existed = RegGetValueW(HKEY_CURRENT_USER, m_key.c_str(), name.c_str(), RRF_RT_ANY,
                                 &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
  }
  m_saved.push_back(std::move(saved));
}

void RegistryValues::setString(const std::wstring& name, const std::wstring& value) {
  save(name);
  RegSetKeyValueW(HKEY_CURRENT_USER, m_key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegistryValues::setDword(const std::wstring& name, DWORD value) {
  save(name);
  RegSetKeyValueW(HKEY_CURRENT_USER, m_key.c_str(), name.c_str(), REG_DWORD, &value, sizeof value);
}

void RegistryValues::remove(const std::wstring& name) {
  save(name);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, m_key.c_str(), name.c_str());
}

RegistryValues::~RegistryValues() {
  for (const Saved& s : m_saved) {
    if (s.existed) {
      RegSetKeyValueW(HKEY_CURRENT_USER, m_key.c_str(), s.name.c_str(), s.type, s.data.data(),
                      static_cast<DWORD>(s.data.size()));
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, m_key.c_str(), s.name.c_str());
    }
  }
}

}  // namespace wintest
