# Cross-build for 32-bit Windows with Debian's MinGW-w64 (i686, posix threads, so
# that std::thread and std::mutex exist). The runtime libraries are linked in
# statically: the DLL depends on system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KRAVENT_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
