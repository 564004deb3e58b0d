// Quillpost.exe and Quillprep.exe as Explorer reads them: version information in Japanese and
// English, the program's icon at the sizes of the views and the title bar, drawn from the
// program's picture, and the manifest that gives the controls the system's look and makes the
// windows scale to each monitor's DPI.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/winui/Win32.h"

namespace {

struct Program {
  const wchar_t* path;
  const char16_t* name;
};
const Program kPrograms[] = {{QP_QUILLPOST_EXE, u"Quillpost"}, {QP_QUILLPREP_EXE, u"Quillprep"}};

std::u16string versionString(const std::vector<BYTE>& info, const wchar_t* block) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), block, &value, &length) || length == 0) return {};
  return reinterpret_cast<const char16_t*>(value);
}

// The colour at (x, y) of the program's icon drawn at `size` pixels.
COLORREF iconPixel(HMODULE module, int size, int x, int y) {
  HICON icon = static_cast<HICON>(
      LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (icon == nullptr) return CLR_INVALID;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  const COLORREF pixel = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DestroyIcon(icon);
  return pixel;
}

std::string resourceText(HMODULE module, LPCWSTR type) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), type);
  if (found == nullptr) return {};
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return std::string(bytes, SizeofResource(module, found));
}

// The sizes in the icon group (0 stands for 256).
std::vector<int> iconSizes(HMODULE module) {
  const std::string group = resourceText(module, RT_GROUP_ICON);
  std::vector<int> sizes;
  for (size_t at = 6; at + 14 <= group.size(); at += 14) {  // GRPICONDIRENTRY after the header
    sizes.push_back(static_cast<unsigned char>(group[at]));
  }
  return sizes;
}

TEST(ProgramResources, EachProgramCarriesItsVersionIconAndManifest) {
  for (const Program& program : kPrograms) {
    SCOPED_TRACE(std::string(program.name, program.name + 9));
    const DWORD size = GetFileVersionInfoSizeW(program.path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.path, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
    for (const wchar_t* language : {L"041104b0", L"040904b0"}) {
      const std::wstring block = std::wstring(L"\\StringFileInfo\\") + language + L"\\";
      EXPECT_EQ(versionString(info, (block + L"ProductName").c_str()), u"Quillpost");
      EXPECT_EQ(versionString(info, (block + L"ProductVersion").c_str()), u"1.0");
      EXPECT_EQ(versionString(info, (block + L"OriginalFilename").c_str()),
                std::u16string(program.name) + u".exe");
      const std::u16string description = versionString(info, (block + L"FileDescription").c_str());
      EXPECT_EQ(description.rfind(program.name, 0), 0u);
      // The Japanese description is in Japanese, the English one in English.
      const bool japanese = description.find_first_of(u"設定送信") != std::u16string::npos;
      EXPECT_EQ(japanese, std::wstring(language) == L"041104b0");
    }

    HMODULE module = LoadLibraryExW(program.path, nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(iconSizes(module), (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 0}));
    // Inside the left edge of the rounded tile, the programs' blue, at every size drawn.
    for (const int pixels : {16, 32, 48, 256}) {
      EXPECT_EQ(iconPixel(module, pixels, pixels / 8, pixels / 2), RGB(0x1f, 0x5f, 0xa8))
          << pixels;
    }
    const std::string manifest = resourceText(module, reinterpret_cast<LPCWSTR>(RT_MANIFEST));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor<"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);
    FreeLibrary(module);
  }
}

}  // namespace
