// How Quillpost reaches its window on each system: on Linux it loads the Qt half from the
// library beside the executable, so that an unattended run never loads Qt; on Windows the
// Win32 window is part of the program.
#pragma once

// Runs the start-up in the window fFTPTest with the system's boxes and returns the exit
// status, or -1, having shown nothing, when no window can be shown after all (the library is
// missing, or the display cannot be reached): the caller then runs unattended.
int RunInWindow(int argc, char** argv);
