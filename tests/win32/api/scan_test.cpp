// The network scan finds the three simulated modules of the private network.
#include <cstdio>
#include <cstring>

#include "tests/win32/api/dll_api.h"
#include "tests/win32/api/host.h"
#include "tests/win32/harness.h"

using namespace kravent::wintest;

namespace {

constexpr unsigned char kUntouched = 0x5A;

bool Untouched(const ModuleScanRecord& record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i)
        if (bytes[i] != kUntouched) return false;
    return true;
}

// The module at 127.0.0.1k (k = 1..3), as with-simulators.sh configures it.
bool DescribesModule(const ModuleScanRecord& record, int k) {
    const std::int32_t mac[6] = {0x02, 0x4B, 0x52, 0x00, 0x00, 0x10 + k};
    char name[16] = {};
    std::snprintf(name, sizeof name, "KRAVENT-WINE-%d", k);
    return record.ModuleIP[0] == 127 && record.ModuleIP[1] == 0 && record.ModuleIP[2] == 0 &&
           record.ModuleIP[3] == 10 + k && std::memcmp(record.ModuleMac, mac, sizeof mac) == 0 &&
           std::memcmp(record.ModuleName, name, std::strlen(name)) == 0 && record.TypeHigh == 2 &&
           record.TypeLow == 2 && record.VersionHigh == 1 && record.VersionLow == 0;
}

}  // namespace

KRAVENT_CASE(ScanFindsEachModuleOnce) {
    CHECK(Dll().complete);
    if (!Dll().complete) return;
    ModuleScanRecord records[8];
    std::memset(records, kUntouched, sizeof records);
    CHECK(Dll().ScanNetwork(records, 8) == kModuleCount);
    bool found[kModuleCount + 1] = {};
    for (int i = 0; i < kModuleCount; ++i) {
        const int k = records[i].ModuleIP[3] - 10;
        CHECK(k >= 1 && k <= kModuleCount);
        if (k < 1 || k > kModuleCount) continue;
        CHECK(!found[k]);
        found[k] = true;
        CHECK(DescribesModule(records[i], k));
    }
    CHECK(Untouched(records[kModuleCount]));
}

KRAVENT_CASE(ScanCountsModulesBeyondTheCapacity) {
    CHECK(Dll().complete);
    if (!Dll().complete) return;
    ModuleScanRecord records[3];
    std::memset(records, kUntouched, sizeof records);
    CHECK(Dll().ScanNetwork(records, 2) == kModuleCount);
    CHECK(!Untouched(records[0]));
    CHECK(!Untouched(records[1]));
    CHECK(Untouched(records[2]));
}
