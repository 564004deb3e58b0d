// A test hook of Quillpost.exe's window. The start-up fills the list and closes the window
// before it is ever shown, so a test cannot look at the list on the screen. When the variable
// QP_TEST_LIST_FILE names a file (only the tests set it: tests/windows/wine_e2e.py), the
// start-up writes into it, just before the window is unloaded, the lines of the list box as the
// list box gives them (LB_GETCOUNT, LB_GETTEXT, LB_GETCURSEL): UTF-8, one a line, the selected
// line after "> " and the others after "  ".
#pragma once

#include <functional>

#include "platform/winui/Win32.h"

// The hook for fFTPTest::setBeforeUnload, or nothing when the variable is not set.
std::function<void(HWND lstFiles)> ListTestHookFromEnvironment();
