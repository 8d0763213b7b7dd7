#include <dlfcn.h>

#include <filesystem>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "hostos/hostos.h"
#include "platform/platform.h"

namespace kravent::hostos {

std::string LibraryLogDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&Vorn_KRAVENT_VersionDLL), &info) == 0 || info.dli_fname == nullptr) return {};
    std::error_code error;
    const std::filesystem::path library = std::filesystem::canonical(info.dli_fname, error);
    if (error) return {};
    // Beside the library, or the chosen or state directory: the library's own rule.
    return platform::LogDirectory(library.parent_path().string() + "/");
}

}  // namespace kravent::hostos
