// What the uploader window does when its controls are used: the list refresh, the double-click
// on the list, the seven command buttons, and the session object with its error box. Window
// free, so that the Qt and the Win32 window only wire their controls to these functions.
#pragma once

#include <memory>

#include "ftp/McWinFTP.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/inet/InternetApi.h"
#include "uploader/WindowControls.h"

// The title of every box of the uploader.
inline constexpr char16_t kAppTitle[] = u"Quillpost";

// A new session object whose every FTPFrr event is shown through `dialogs` as a critical box:
// the number, CR LF, the text; OK, "Quillpost". `internetApi`, when not null, is the internet
// API the session uses (it must outlive the session); null uses the real engine. `dialogs` must
// outlive the session too.
std::unique_ptr<McWinFTP> MakeSession(dialogs::Dialogs& dialogs,
                                      inet::InternetApi* internetApi = nullptr);

// What a handler works on. clsFtp is null once the window has released it; every handler then
// leaves the session alone.
struct WindowParts {
  WindowControls& controls;
  McWinFTP* clsFtp;
  dialogs::Dialogs& dialogs;
};

// Copies server, user, password and the passive switch from the controls into clsFtp, in that
// order, and opens the session; true when it is connected (hFTP non-zero). A failure has been
// reported through FTPFrr.
bool ConnectFromControls(WindowControls& controls, McWinFTP& clsFtp);

// Rebuilds the list from clsFtp's current directory (cleared first, also without a session).
void RefreshFileList(const WindowParts& window);

// On the parent line ("..") goes up with "../", on a directory line goes into it by its bare
// name, and rebuilds the list; any other line does nothing.
void lstFiles_DblClick(const WindowParts& window);

// Connect: on success "接続が完了しました！", the list of the login directory, cmdOpen disabled.
void cmdOpen_Click(const WindowParts& window);
// Disconnect, whatever the state: the session closed, cmdOpen enabled, the list emptied.
void cmdClose_Click(const WindowParts& window);
// Delete (connected only): asks first, then deletes the selected file or removes the selected
// directory and rebuilds the list, also after a refusal.
void cmdDel_Click(const WindowParts& window);
// Download (connected, a file or directory line selected): refuses a name that would leave the
// chosen folder, asks the folder and whether to overwrite, downloads, rebuilds on success.
void cmdGet_Click(const WindowParts& window);
// Upload: asks the local path and the remote name (both, always); uploads unless the path is
// empty; rebuilds on success.
void cmdPut_Click(const WindowParts& window);
// Rename (connected, a file or directory line selected): asks the new name, preset to the
// current one; renames unless it is empty; rebuilds the list in any case.
void cmdRename_Click(const WindowParts& window);
// Create directory (connected): asks the name; creates it and rebuilds unless it is empty.
void cmdMakeDir_Click(const WindowParts& window);
