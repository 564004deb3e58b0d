#include "uploader/win32/ListTestHook.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring environmentVariable(const wchar_t* name) {
  std::vector<wchar_t> value(32768);  // the most an environment variable holds
  const DWORD length =
      GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  return length > 0 && length < value.size() ? std::wstring(value.data(), length) : std::wstring();
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

std::wstring lineOf(HWND list, LRESULT index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return L"(LB_ERR)";
  std::wstring line(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.data()));
  line.resize(static_cast<size_t>(length));
  return line;
}

void writeLines(HWND list, const std::wstring& path) {
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const std::string line = (i == selected ? "> " : "  ") + utf8(lineOf(list, i)) + "\n";
    std::fwrite(line.data(), 1, line.size(), out);
  }
  std::fclose(out);
}

}  // namespace

std::function<void(HWND)> ListTestHookFromEnvironment() {
  const std::wstring path = environmentVariable(L"QP_TEST_LIST_FILE");
  if (path.empty()) return {};
  return [path](HWND list) { writeLines(list, path); };
}
