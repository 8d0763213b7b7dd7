// A private copy of the built shared library, loaded from a fresh directory: its state
// starts as after loading, and its error log lies in that directory.
#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "tests/log/child_process.h"

namespace kravent::testing {

class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* fileName = "libVorn-KRAVENT_DLLInterface.so")
        : path_(directory_.path() / fileName) {
        std::filesystem::copy_file(KRAVENT_SHARED_LIBRARY, path_);
        handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
    }
    ~LoadedLibrary() { dlclose(handle_); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    // The exported function `name`, typed as the public header declares it.
    template <typename Function>
    Function* Get(const char* name) const {
        void* symbol = dlsym(handle_, name);
        if (symbol == nullptr) throw std::runtime_error(std::string("missing export ") + name);
        return reinterpret_cast<Function*>(symbol);
    }

    std::filesystem::path LogPath() const { return directory_.path() / "Error_Vorn-KRAVENT_DLLInterface.log"; }

private:
    TemporaryDirectory directory_;
    std::filesystem::path path_;
    void* handle_ = nullptr;
};

}  // namespace kravent::testing
