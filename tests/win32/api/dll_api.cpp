#include "tests/win32/api/dll_api.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "tests/win32/harness.h"

namespace kravent::wintest {
namespace {

// A Unix path given on the command line, as wine's Z: drive shows it.
std::string WindowsPath(const char* path) {
    std::string result = path[0] == '/' ? std::string("Z:") + path : path;
    for (char& c : result)
        if (c == '/') c = '\\';
    return result;
}

// A new empty directory under the temporary folder; empty text on failure.
std::string MakePrivateDirectory() {
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) return {};
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char name[MAX_PATH + 64];
        std::snprintf(name, sizeof name, "%skravent-api-%lu-%u", temp, GetCurrentProcessId(), attempt);
        if (CreateDirectoryA(name, nullptr)) return name;
    }
    return {};
}

DllApi Load() {
    DllApi api;
    if (ArgumentCount() < 1) {
        std::printf("  no DLL path given on the command line\n");
        return api;
    }
    api.directory = MakePrivateDirectory();
    const std::string copy = api.directory + "\\Vorn-KRAVENT_DLLInterface.dll";
    if (api.directory.empty() || !CopyFileA(WindowsPath(Argument(0)).c_str(), copy.c_str(), TRUE)) {
        std::printf("  cannot copy the DLL to a private directory\n");
        return api;
    }
    HMODULE module = LoadLibraryA(copy.c_str());  // kept loaded until the program ends
    if (module == nullptr) {
        std::printf("  LoadLibraryA(%s) failed: %lu\n", copy.c_str(), GetLastError());
        return api;
    }
    api.complete = api.Resolve([&](const char* name) {
        void* fn = reinterpret_cast<void*>(GetProcAddress(module, ("_" + std::string(name)).c_str()));
        if (fn == nullptr) std::printf("  the DLL exports no _%s\n", name);
        return fn;
    });
    return api;
}

}  // namespace

const DllApi& Dll() {
    static const DllApi api = Load();
    return api;
}

std::string LastErrorText() {
    char text[512];
    std::int32_t length = sizeof text;
    Dll().GetLastError(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace kravent::wintest
