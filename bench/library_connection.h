// One open connection of the library under test (Library()).
// The host callbacks carry no user pointer, so there is one connection at a time;
// its data callback is forwarded to the handler of the figure being measured.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "bench/library_api.h"

namespace kravent::bench {

using DataHandler = void (*)(RegisterValues* values, ComID com);

inline constexpr std::int32_t kModuleAddress[4] = {127, 0, 0, 1};

class LibraryConnection {
public:
    LibraryConnection() = default;
    ~LibraryConnection() { Close(); }
    LibraryConnection(const LibraryConnection&) = delete;
    LibraryConnection& operator=(const LibraryConnection&) = delete;

    // Opens the connection to the module at 127.0.0.1 with `handler` as data callback
    // and waits until Com_Event reports it connected. `callReturnedNs` (optional) gets
    // the moment the open call itself returned.
    bool Open(DataHandler handler, std::string& error, std::int64_t* callReturnedNs = nullptr);
    void Close();
    ComID id() const { return com_; }

private:
    ComID com_ = nullptr;
};

}  // namespace kravent::bench
