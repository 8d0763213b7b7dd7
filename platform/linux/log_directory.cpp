// Where the error log goes on Linux. A library installed in a system directory usually
// cannot write beside itself, so its log then goes to the user's state directory.
#include "platform/platform.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace kravent::platform {

namespace {

constexpr char kLogDirectoryVariable[] = "VORN_KRAVENT_LOG_DIR";
constexpr char kProductFolder[] = "Vorn-KRAVENT_DLLInterface";

// secure_getenv: a set-user-ID host must not let its caller choose where it writes.
std::string Environment(const char* name) {
    const char* value = secure_getenv(name);
    return value != nullptr ? value : "";
}

std::string HomeDirectory() {
    std::string home = Environment("HOME");
    if (!home.empty()) return home;
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr && found->pw_dir != nullptr)
        home = found->pw_dir;
    return home;
}

// An existing or newly made directory, with a final slash; empty when it cannot be made.
std::string UsableDirectory(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
    if (!std::filesystem::is_directory(path, ignored)) return {};
    return path.back() == '/' ? path : path + '/';
}

// $XDG_STATE_HOME/Vorn-KRAVENT_DLLInterface, else ~/.local/state/Vorn-KRAVENT_DLLInterface.
std::string StateDirectory() {
    std::string base = Environment("XDG_STATE_HOME");
    if (base.empty() || base.front() != '/') {  // a relative value is to be ignored
        const std::string home = HomeDirectory();
        if (home.empty()) return {};
        base = home + "/.local/state";
    }
    return UsableDirectory(base + "/" + kProductFolder);
}

}  // namespace

std::string LogDirectory(const std::string& libraryDirectory) {
    const std::string chosen = Environment(kLogDirectoryVariable);
    if (!chosen.empty()) return UsableDirectory(chosen);
    const std::string here = libraryDirectory.empty() ? "." : libraryDirectory;
    if (access(here.c_str(), W_OK) == 0) return libraryDirectory;
    const std::string state = StateDirectory();
    return state.empty() ? libraryDirectory : state;
}

}  // namespace kravent::platform
