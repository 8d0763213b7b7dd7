#include "interface/connection_registry.h"

#include <mutex>
#include <unordered_set>

#include "commanagement/com_management.h"
#include "commanagement/delivery_scope.h"

namespace kravent {

namespace {

struct Registry {
    std::shared_mutex mutex;
    std::unordered_set<const void*> open;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

ConnectionRef FindConnection(ComID com) {
    if (com == nullptr) return {};
    Registry& r = TheRegistry();
    std::shared_lock lock(r.mutex);
    if (r.open.count(com) == 0) return {};
    return {std::move(lock), static_cast<CComManagement*>(com)};
}

bool RegisterConnection(CComManagement* connection) {
    Registry& r = TheRegistry();
    std::unique_lock lock(r.mutex);
    try {
        r.open.insert(connection);
    } catch (...) {
        return false;
    }
    return true;
}

void ForgetConnection(CComManagement* connection) {
    Registry& r = TheRegistry();
    std::unique_lock lock(r.mutex);
    r.open.erase(connection);
}

void CloseRegisteredConnection(ComID com) {
    if (com == nullptr) return;
    Registry& r = TheRegistry();
    {
        std::unique_lock lock(r.mutex);
        if (r.open.erase(com) == 0) return;
    }
    auto* connection = static_cast<CComManagement*>(com);
    if (!DeliveryScope::DeferTeardown(*connection)) DestroyConnection(connection);
}

}  // namespace kravent
