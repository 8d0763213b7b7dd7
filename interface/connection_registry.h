// The connections the library holds. An exported function that takes a ComID uses it
// only while the registry names it, under the shared lock, for its short and
// non-blocking body; a close takes it out under the exclusive lock and tears it down
// after releasing the lock.
//
// A ComID is not the connection's address but a value of its own, counted per process:
// a closed handle's value is not given out again (on a 32-bit system, not for 2^32
// later opens), so a host that keeps it is refused instead of reaching another module.
#pragma once

#include <shared_mutex>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent {

class CComManagement;

// A held connection, or none; keeps the shared lock while it lives.
class ConnectionRef {
public:
    ConnectionRef() = default;
    ConnectionRef(std::shared_lock<std::shared_mutex> lock, CComManagement* connection)
        : lock_(std::move(lock)), connection_(connection) {}

    CComManagement* get() const { return connection_; }
    CComManagement* operator->() const { return connection_; }
    CComManagement& operator*() const { return *connection_; }
    friend bool operator==(const ConnectionRef& ref, std::nullptr_t) { return ref.connection_ == nullptr; }

private:
    std::shared_lock<std::shared_mutex> lock_;
    CComManagement* connection_ = nullptr;
};

// The connection named by `com`, or none when the library does not hold it.
ConnectionRef FindConnection(ComID com);

// Adds a new connection and gives it its handle, which it returns (as Handle() does
// from now on); null when no room could be made for it.
ComID RegisterConnection(CComManagement* connection);

// Takes a connection out without destroying it (for an owner that destroys it itself).
void ForgetConnection(CComManagement* connection);

// Takes the connection out of the registry and destroys it: at once, or, when called
// from inside one of its own handlers, once that handler has returned. A ComID the
// library does not hold is left alone.
void CloseRegisteredConnection(ComID com);

}  // namespace kravent
