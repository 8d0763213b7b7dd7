#include "interface/connection_registry.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "connection/com_management.h"
#include "connection/delivery_scope.h"

namespace kravent {

namespace {

using HandleValue = std::uintptr_t;

struct Registry {
    std::shared_mutex mutex;
    std::unordered_map<HandleValue, CComManagement*> open;
    HandleValue lastHandle = 0;  // the count of handles given out, modulo the word
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

HandleValue ValueOf(ComID com) { return reinterpret_cast<HandleValue>(com); }

// Under the exclusive lock. Never 0 (the null handle); once the count has wrapped, a
// value still open is skipped.
HandleValue NextHandleLocked(Registry& r) {
    do {
        ++r.lastHandle;
    } while (r.lastHandle == 0 || r.open.count(r.lastHandle) != 0);
    return r.lastHandle;
}

}  // namespace

ConnectionRef FindConnection(ComID com) {
    if (com == nullptr) return {};
    Registry& r = TheRegistry();
    std::shared_lock lock(r.mutex);
    const auto found = r.open.find(ValueOf(com));
    if (found == r.open.end()) return {};
    return {std::move(lock), found->second};
}

ComID RegisterConnection(CComManagement* connection) {
    Registry& r = TheRegistry();
    std::unique_lock lock(r.mutex);
    const HandleValue value = NextHandleLocked(r);
    try {
        r.open.emplace(value, connection);
    } catch (...) {
        return nullptr;
    }
    const auto com = reinterpret_cast<ComID>(value);
    connection->SetHandle(com);
    return com;
}

void ForgetConnection(CComManagement* connection) {
    Registry& r = TheRegistry();
    std::unique_lock lock(r.mutex);
    r.open.erase(ValueOf(connection->Handle()));
}

void CloseRegisteredConnection(ComID com) {
    if (com == nullptr) return;
    Registry& r = TheRegistry();
    CComManagement* connection = nullptr;
    {
        std::unique_lock lock(r.mutex);
        const auto found = r.open.find(ValueOf(com));
        if (found == r.open.end()) return;
        connection = found->second;
        r.open.erase(found);
    }
    if (!DeliveryScope::DeferTeardown(*connection)) DestroyConnection(connection);
}

}  // namespace kravent
