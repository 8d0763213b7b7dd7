// Discovery through every interface, as with-two-links.sh sets the network up: a
// module behind each of two links on different subnets, no route for the limited
// broadcast. KRAVENT_TWO_LINKS says which part runs: "both" while both links are up,
// "second" once the first is down. Elsewhere these cases have nothing to do.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/win32/api/dll_api.h"
#include "tests/win32/api/host.h"
#include "tests/win32/harness.h"

using namespace kravent::wintest;

namespace {

const char* Phase() {
    const char* phase = std::getenv("KRAVENT_TWO_LINKS");
    return phase != nullptr ? phase : "";
}

// The modules a scan finds, as "link@address" (the fifth MAC byte names its link),
// sorted; a few scans, since the first may meet an address resolution under way.
std::string Scanned(const std::string& expected) {
    std::string found;
    for (int attempt = 0; attempt < 3 && found != expected; ++attempt) {
        ModuleScanRecord records[4] = {};
        const int count = Dll().ScanNetwork(records, 4);
        std::string entries[4];
        for (int i = 0; i < count && i < 4; ++i)
            entries[i] = std::to_string(records[i].ModuleMac[4]) + "@" + std::to_string(records[i].ModuleIP[2]) + "." +
                         std::to_string(records[i].ModuleIP[3]);
        if (count == 2 && entries[1] < entries[0]) std::swap(entries[0], entries[1]);
        found.clear();
        for (int i = 0; i < count && i < 4; ++i) found += (i ? " " : "") + entries[i];
    }
    if (found != expected) std::printf("  scan found '%s', expected '%s'\n", found.c_str(), expected.c_str());
    return found;
}

}  // namespace

KRAVENT_CASE(TopologyScanAndAddressChangeThroughEveryInterface) {
    if (std::strcmp(Phase(), "both") != 0) return;
    CHECK(Dll().complete);
    if (!Dll().complete) return;
    CHECK(Scanned("1@1.11 2@2.11") == "1@1.11 2@2.11");

    const std::int32_t mac[6] = {0x02, 0x4B, 0x52, 0x00, 0x02, 0x11};
    const std::int32_t newIp[4] = {10, 77, 2, 42};
    const std::int32_t mask[4] = {255, 255, 255, 0};
    CHECK(Dll().ChangeIPAddress(mac, newIp, mask));
    HostConnection moved(newIp);
    CHECK(moved.opened() && moved.WaitConnected());
}

KRAVENT_CASE(TopologyScanThroughTheLinkThatIsLeft) {
    if (std::strcmp(Phase(), "second") != 0) return;
    CHECK(Dll().complete);
    if (!Dll().complete) return;
    CHECK(Scanned("2@2.42") == "2@2.42");
}
