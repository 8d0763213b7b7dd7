#include <windows.h>

#include "hostos/hostos.h"

namespace kravent::hostos {

// The DLL writes its log beside itself.
std::string LibraryLogDirectory() {
    const HMODULE library = GetModuleHandleA("Vorn-KRAVENT_DLLInterface.dll");
    if (library == nullptr) return {};
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(library, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    const std::string file(path, length);
    const std::size_t separator = file.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : file.substr(0, separator + 1);
}

}  // namespace kravent::hostos
