// The uploader window's own icon on the Win32 API, drawn from IconShape at the system's icon
// sizes.
#pragma once

#include "platform/winui/Win32.h"

// Gives `window` its big and small icon; they are destroyed with DestroyFormIcons.
void SetFormIcons(HWND window);
void DestroyFormIcons(HWND window);
