#include "bench/library_api.h"

#include <dlfcn.h>

namespace kravent::bench {

bool LibraryApi::Load(const std::string& path, std::string& error) {
    // Kept loaded until the process ends: its threads may still be winding down.
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        error = ::dlerror();
        return false;
    }
    return Resolve([&](const char* name) {
        void* fn = ::dlsym(library, name);
        if (fn == nullptr && error.empty()) error = std::string("missing function ") + name;
        return fn;
    });
}

std::string LibraryApi::LastError() const {
    char text[512];
    std::int32_t length = sizeof text;
    GetLastError(text, &length);
    if (length < 0 || length > static_cast<std::int32_t>(sizeof text)) return "(no last error)";
    return std::string(text, static_cast<std::size_t>(length));
}

bool LibraryApi::FlagPollable(bool repetitive, ComID com) const {
    return Read_VOLTAGE(repetitive, com) && Read_WARNINGS(repetitive, com) && Read_REGULATIONMODE(repetitive, com) &&
           Read_INPUT(repetitive, com) && Read_POSITION(repetitive, com) && Read_SPEED(repetitive, com) &&
           Read_DESIRED(repetitive, com) && Read_FEEDBACK(repetitive, com) && Read_COMMAND(repetitive, com) &&
           Read_INTEGRALDELTA(repetitive, com) && Read_DERIVATIONOFDELTA(repetitive, com);
}

LibraryApi& Library() {
    static LibraryApi api;
    return api;
}

std::string OwnLibrary() { return KRAVENT_BENCH_LIBRARY; }

}  // namespace kravent::bench
