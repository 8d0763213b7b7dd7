#include "connection/delivery_scope.h"

#include <thread>

#include "connection/com_management.h"

namespace kravent {

namespace {
thread_local DeliveryScope* tInnermost = nullptr;
}

DeliveryScope::DeliveryScope(CComManagement& connection) : connection_(connection), outer_(tInnermost) {
    tInnermost = this;
}

DeliveryScope::~DeliveryScope() {
    tInnermost = outer_;
    if (teardown_) DestroyConnection(&connection_);
}

bool DeliveryScope::DeferTeardown(CComManagement& connection) {
    DeliveryScope* outermost = nullptr;
    for (DeliveryScope* s = tInnermost; s != nullptr; s = s->outer_) {
        if (&s->connection_ == &connection) outermost = s;
    }
    if (outermost == nullptr) return false;
    outermost->teardown_ = true;
    return true;
}

void DestroyConnection(CComManagement* connection) {
    if (connection == nullptr) return;
    if (connection->OnOwnSenderThread()) {
        try {
            std::thread([connection] { delete connection; }).detach();
            return;
        } catch (...) {
            // No thread to spare: the connection is left rather than destroyed unsafely.
            return;
        }
    }
    delete connection;
}

}  // namespace kravent
