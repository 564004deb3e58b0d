# Cross-building the Windows programs on Debian with g++-mingw-w64-x86-64-posix (the posix
# thread model, which std::thread and asio need). Everything is linked statically, so each
# program is one .exe with no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# The libraries scripts/build-mingw-deps builds (QP_MINGW_DEPS: their folders) are searched like
# the cross compiler's own.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${QP_MINGW_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)  # build-time tools (Python) come from the host
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# -static-libstdc++ -static-libgcc would still leave libwinpthread-1.dll to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# The test runner runs the cross-built tests under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
