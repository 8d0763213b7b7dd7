// The library under test, taken from a library file loaded at run time: this build in
// the benchmark itself, any build in a worker, so that one run can measure two builds
// side by side.
#pragma once

#include <string>

#include "tests/support/library_functions.h"

namespace kravent::bench {

struct LibraryApi : testsupport::LibraryFunctions {
    // Loads `path`; false with `error` set when it or one of the functions is missing.
    bool Load(const std::string& path, std::string& error);
    std::string LastError() const;
    // Flags the 11 pollable registers for one exchange or (`repetitive`) the repetitive set.
    bool FlagPollable(bool repetitive, ComID com) const;
};

// The library of this process, loaded once at its start.
LibraryApi& Library();

// The library file that this benchmark was built with.
std::string OwnLibrary();

}  // namespace kravent::bench
