// The windowed half of Quillpost, built as a library of its own that the program loads only
// when there is a display: an unattended run then never loads the window toolkit.
#pragma once

// The file name of the library, which lies beside the Quillpost executable.
inline constexpr char kWindowLibraryName[] = "libquillpost_window.so";
// The name of its entry point, of type WindowRunFunction.
inline constexpr char kWindowRunSymbol[] = "QuillpostRunWindow";

// Runs the start-up in the window fFTPTest with real Qt boxes and returns the exit status, or
// -1, having shown nothing, when no window system can be reached after all (a stale DISPLAY):
// the caller then runs unattended.
using WindowRunFunction = int (*)(int argc, char** argv);

extern "C" int QuillpostRunWindow(int argc, char** argv);
