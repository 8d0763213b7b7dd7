// Marks the handlers of a connection that run on the current thread, so that a host
// may close the connection from inside its own callbacks: the connection is then
// destroyed when the outermost of its handlers on this thread has returned.
#pragma once

namespace kravent {

class CComManagement;

class DeliveryScope {
public:
    explicit DeliveryScope(CComManagement& connection);
    // Destroys the connection if its teardown was deferred to this scope.
    ~DeliveryScope();
    DeliveryScope(const DeliveryScope&) = delete;
    DeliveryScope& operator=(const DeliveryScope&) = delete;

    // True when a handler of `connection` runs on this thread; its destruction is then
    // left to the outermost such handler. False: the caller destroys it now.
    static bool DeferTeardown(CComManagement& connection);

private:
    CComManagement& connection_;
    bool teardown_ = false;
    DeliveryScope* outer_;
};

// Destroys a closed connection. On one of its own sender threads, which cannot join
// themselves, a short-lived thread of its own does it.
void DestroyConnection(CComManagement* connection);

}  // namespace kravent
