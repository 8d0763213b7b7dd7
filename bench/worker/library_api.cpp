#include "bench/worker/library_api.h"

#include <dlfcn.h>

namespace kravent::bench {

namespace {

template <typename Fn>
bool Find(void* library, const char* name, Fn& fn, std::string& error) {
    fn = reinterpret_cast<Fn>(::dlsym(library, name));
    if (fn == nullptr) error = std::string("missing function ") + name;
    return fn != nullptr;
}

}  // namespace

bool LibraryApi::Load(const std::string& path, std::string& error) {
    // Kept loaded until the process ends: its threads may still be winding down.
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        error = ::dlerror();
        return false;
    }
    static const char* const kPollable[11] = {
        "Vorn_KRAVENT_Read_VOLTAGE",      "Vorn_KRAVENT_Read_WARNINGS",      "Vorn_KRAVENT_Read_REGULATIONMODE",
        "Vorn_KRAVENT_Read_INPUT",        "Vorn_KRAVENT_Read_POSITION",      "Vorn_KRAVENT_Read_SPEED",
        "Vorn_KRAVENT_Read_DESIRED",      "Vorn_KRAVENT_Read_FEEDBACK",      "Vorn_KRAVENT_Read_COMMAND",
        "Vorn_KRAVENT_Read_INTEGRALDELTA", "Vorn_KRAVENT_Read_DERIVATIONOFDELTA"};
    bool found = Find(library, "Vorn_KRAVENT_OpenConnection_MAINPORT", open, error) &&
                 Find(library, "Vorn_KRAVENT_CloseConnection", close, error) &&
                 Find(library, "Vorn_KRAVENT_SendData_MAINPORT", send, error) &&
                 Find(library, "Vorn_KRAVENT_RepetitiveAskSetTime", setTime, error) &&
                 Find(library, "Vorn_KRAVENT_RepetitiveAskStart", start, error) &&
                 Find(library, "Vorn_KRAVENT_RepetitiveAskStop", stop, error) &&
                 Find(library, "Vorn_KRAVENT_GetLastError", lastError, error);
    for (int k = 0; found && k < 11; ++k) found = Find(library, kPollable[k], pollable[k], error);
    return found;
}

std::string LibraryApi::LastError() const {
    char text[512];
    std::int32_t length = sizeof text;
    lastError(text, &length);
    if (length < 0 || length > static_cast<std::int32_t>(sizeof text)) return "(no last error)";
    return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace kravent::bench
