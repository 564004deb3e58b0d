// windows.h for the programs' windows, without the macros that clash with our own names:
// windows.h renames MessageBox and DeleteFile to their W forms, which would rename the
// members of dialogs::Dialogs and McWinFTP in the files that include it. Only the window code
// includes this; the engine reaches Winsock through asio alone.
#pragma once

#include <windows.h>

#undef MessageBox
#undef DeleteFile
