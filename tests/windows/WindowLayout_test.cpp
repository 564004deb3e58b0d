// The Win32 windows laid out with the font and at the DPI the system gives: every caption,
// measured in its control's own font, lies whole inside its control and clear of the other
// controls, every control inside the window; with the programs' manifest, whose common controls
// 6 draw the buttons. Wine reads its font mapping and its DPI when a process starts, so each
// case runs this program again with the registry set for it: with and without the mapping of
// "ＭＳ Ｐゴシック" that scripts/windows-tests adds, at 96 and at 144 dpi. A DPI change while a
// window is open (WM_DPICHANGED) lays it out again at the new DPI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/winui/Win32.h"

#include "platform/dialogs/ScriptedDialogs.h"
#include "settingsmaker/win32/Forms.h"
#include "tests/support/common/TempDir.h"
#include "tests/windows/Win32TestSupport.h"
#include "uploader/win32/fFTPTest.h"
#include "uploader/win32/fProgress.h"

namespace {

using wintest::ChildrenOf;
using wintest::ControlOf;
using wintest::TextOf;

std::wstring className(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// The control's rectangle in its parent's client coordinates.
RECT placeOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// The text's extent in the control's font; wrapped at `wrapWidth` when that is positive.
SIZE extentOf(HWND control, const std::u16string& text, int wrapWidth = 0) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.c_str());
  if (wrapWidth > 0) {
    RECT r{0, 0, wrapWidth, 0};
    DrawTextW(dc, wide, static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK);
    size = {r.right, r.bottom};
  } else {
    GetTextExtentPoint32W(dc, wide, static_cast<int>(text.size()), &size);
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

// What the user must see of each control: labels whole and not covered, buttons' and check
// boxes' captions inside them with a little room, a line of text in each box.
void expectCaptionsWhole(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const std::vector<HWND> controls = ChildrenOf(window);
  ASSERT_GE(controls.size(), 3u);
  for (HWND control : controls) {
    const std::u16string text = TextOf(control);
    const std::wstring kind = className(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const RECT place = placeOf(control);
    const int width = place.right - place.left, height = place.bottom - place.top;
    SCOPED_TRACE(std::string(kind.begin(), kind.end()) + " " +
                 std::to_string(static_cast<int>(text.size())) + " characters at " +
                 std::to_string(place.left) + "," + std::to_string(place.top));
    EXPECT_TRUE(inside(place, client));
    if (kind == L"Static") {
      const SIZE ink = extentOf(control, text);
      const RECT drawn{place.left, place.top, place.left + ink.cx, place.top + ink.cy};
      EXPECT_TRUE(inside(drawn, place));
      for (HWND other : controls) {
        RECT overlap{}, at = placeOf(other);
        EXPECT_TRUE(other == control || !IntersectRect(&overlap, &drawn, &at));
      }
    } else if (kind == L"Button" && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
      EXPECT_LE(GetSystemMetrics(SM_CXMENUCHECK) + extentOf(control, text).cx, width);
    } else if (kind == L"Button") {
      const SIZE ink = extentOf(control, text, (style & BS_MULTILINE) ? width - 4 : 0);
      EXPECT_LE(ink.cx + 4, width);
      EXPECT_LE(ink.cy + 4, height);
    } else if (kind == L"Edit") {
      EXPECT_LE(extentOf(control, u"Ag").cy + 4, height);
    }
  }
}

// The face the system selected for the font a form asked "ＭＳ Ｐゴシック" for.
std::u16string selectedFace(HWND control) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return reinterpret_cast<const char16_t*>(face);
}

// The file name of the module whose window procedure serves `control`: user32.dll draws the
// plain controls of old, comctl32.dll (version 6, which alone has its own buttons) the system's
// look.
std::wstring moduleServing(HWND control) {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(GetClassLongPtrW(control, GCLP_WNDPROC)), &module);
  wchar_t path[MAX_PATH] = {};
  if (module) GetModuleFileNameW(module, path, MAX_PATH);
  std::wstring name(path);
  name = name.substr(name.find_last_of(L"\\/") + 1);
  CharLowerW(name.data());
  return name;
}

int environmentNumber(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::atoi(value) : -1;
}

// Run by the test below in a process of its own; QP_LAYOUT_MAPPING (0 or 1) and QP_LAYOUT_DPI
// tell it what the registry was set to.
TEST(WindowLayout, DISABLED_FormsInThisProcess) {
  const int mapping = environmentNumber("QP_LAYOUT_MAPPING");
  const UINT dpi = static_cast<UINT>(environmentNumber("QP_LAYOUT_DPI"));
  ASSERT_TRUE(mapping == 0 || mapping == 1);
  dialogs::ScriptedDialogs boxes;
  Form1 form1(boxes, u"");
  form1.Label3_DblClick();
  fFTPTest uploader(boxes, {});
  fProgress progress(u"C:\\データ\\報告書.csv");
  progress.display({420, true, u"215.0 MB / 512.0 MB", u"45.2 MB/秒", u"残り 6 秒"});
  // The manifest's common controls 6 draw the buttons.
  EXPECT_EQ(moduleServing(ControlOf(form1.hwnd(), L"Button")), L"comctl32.dll");
  EXPECT_EQ(form1.dpi(), dpi);
  const bool mapped = selectedFace(ControlOf(form1.hwnd(), L"Static")) == u"ＭＳ Ｐゴシック";
  EXPECT_EQ(mapped, mapping == 1);
  // The layout is made for the mapped font; any other one here is wider and stretches it.
  if (mapping == 1 && dpi == 96) {
    EXPECT_EQ(form1.stretch(), winui::Stretch{});
  } else if (mapping == 0) {
    EXPECT_GT(form1.stretch().x, 1.0);
  }
  for (HWND window : {form1.hwnd(), form1.form2()->hwnd(), uploader.hwnd(), progress.hwnd()}) {
    SCOPED_TRACE(std::string(TextOf(window).size(), '*'));
    expectCaptionsWhole(window);
  }
}

TEST(WindowLayout, CaptionsAreWholeWithAndWithoutTheFontMappingAt96And144Dpi) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  testsupport::TempDir folder;
  for (const int mapping : {1, 0}) {
    for (const DWORD dpi : {96u, 144u}) {
      SCOPED_TRACE("mapping " + std::to_string(mapping) + ", " + std::to_string(dpi) + " dpi");
      wintest::RegistryValues fonts(L"Software\\Wine\\Fonts\\Replacements");
      for (const wchar_t* face : {L"ＭＳ ゴシック", L"ＭＳ Ｐゴシック"}) {
        if (mapping) {
          fonts.setString(face,
                          std::wstring(face) == L"ＭＳ ゴシック" ? L"IPAGothic" : L"IPAPGothic");
        } else {
          fonts.remove(face);
        }
      }
      wintest::RegistryValues desktop(L"Control Panel\\Desktop");
      desktop.setDword(L"LogPixels", dpi);
      SetEnvironmentVariableW(L"QP_LAYOUT_MAPPING", std::to_wstring(mapping).c_str());
      SetEnvironmentVariableW(L"QP_LAYOUT_DPI", std::to_wstring(dpi).c_str());
      const std::string output = folder.file("output.txt");
      wintest::Child child(self,
                           L"--gtest_filter=WindowLayout.DISABLED_FormsInThisProcess "
                           L"--gtest_also_run_disabled_tests",
                           wintest::WidePath(folder.path()), wintest::WidePath(output));
      ASSERT_TRUE(child.started());
      EXPECT_EQ(child.waitExit(60000), std::optional<DWORD>(0)) << testsupport::ReadFile(output);
    }
  }
}

TEST(WindowLayout, ADpiChangeLaysTheFormsOutAgainAtTheNewDpi) {
  dialogs::ScriptedDialogs boxes;
  Form1 form(boxes, u"");
  HWND label = ControlOf(form.hwnd(), L"Static", L"ローカルファイルパス");
  ASSERT_NE(label, nullptr);
  const UINT before = form.dpi();
  RECT client96{}, label96 = placeOf(label);
  GetClientRect(form.hwnd(), &client96);
  const SIZE text96 = extentOf(label, TextOf(label));
  // The system's message when the window moves to a monitor of half as many dots again.
  const UINT after = before * 3 / 2;
  RECT suggested{40, 30, 40, 30};
  SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(after, after),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form.dpi(), after);
  RECT client{}, window{};
  GetClientRect(form.hwnd(), &client);
  GetWindowRect(form.hwnd(), &window);
  EXPECT_EQ(window.left, 40);
  EXPECT_EQ(window.top, 30);
  // Everything half as big again (give or take a stretch for the font at its new size), the
  // captions in fonts made for the new DPI, not bitmaps scaled.
  EXPECT_NEAR(double(client.right) / client96.right, 1.5, 0.1);
  EXPECT_NEAR(double(placeOf(label).right - placeOf(label).left) / (label96.right - label96.left),
              1.5, 0.1);
  EXPECT_NEAR(double(extentOf(label, TextOf(label)).cy) / text96.cy, 1.5, 0.2);
  expectCaptionsWhole(form.hwnd());
}

}  // namespace
