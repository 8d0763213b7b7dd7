// The exported functions of Vorn-KRAVENT_DLLInterface.dll as a Windows host reaches
// them: a private copy of the DLL loaded with LoadLibraryA and every function looked
// up by GetProcAddress under its exported name (`_Vorn_KRAVENT_...`).
#pragma once

#include <string>

#include "tests/support/library_functions.h"

namespace kravent::wintest {

struct DllApi : testsupport::LibraryFunctions {
    bool complete = false;   // the DLL loaded and every function was found
    std::string directory;   // where the loaded copy lies (Windows path, no trailing '\')
};

// Loads the DLL named by the program's first argument on first use: copied into a
// fresh directory of its own, so that its error log starts there from nothing.
const DllApi& Dll();

// The last-error text of the DLL.
std::string LastErrorText();

}  // namespace kravent::wintest
