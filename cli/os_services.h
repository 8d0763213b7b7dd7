// What the tool needs of the operating system besides the library: the console, and
// where the loaded library keeps its log. cli/os/linux and cli/os/win32 implement it
// (with the stop signals of stop_signals.h and the waits of wakeup.h); the build
// picks one.
#pragma once

#include <cstdio>
#include <string>

namespace kravent::cli {

// Call first in main: output goes out as UTF-8.
void PrepareConsole();

// True when `stream` is a terminal (a console), not a pipe or a file.
bool IsTerminal(std::FILE* stream);

// The directory that the loaded library writes its error log to, ending in the path
// separator, found as the library finds itself; empty when it cannot be found.
std::string LibraryLogDirectory();

}  // namespace kravent::cli
