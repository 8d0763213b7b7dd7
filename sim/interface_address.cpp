#include "sim/interface_address.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "hostos/hostos.h"
#include "sim/register_text.h"

namespace kravent::sim {

int PrefixLength(const Ipv4& mask) {
    const std::uint32_t m = std::uint32_t{mask[0]} << 24 | std::uint32_t{mask[1]} << 16 | std::uint32_t{mask[2]} << 8 | mask[3];
    return std::countl_one(m);
}

bool InPrivateNetworkNamespace() {
    const char* flag = std::getenv("KRAVENT_IN_NETNS");
    return flag != nullptr && std::strcmp(flag, "1") == 0;
}

namespace {
// Runs `ip` with the arguments; its exit status, or -1 when it could not run.
int RunIp(std::vector<std::string> args) {
    args.insert(args.begin(), "ip");
    return hostos::RunProgram(args);
}

std::string WithPrefix(const Ipv4& ip, const Ipv4& mask) {
    return FormatDottedQuad(ip.data()) + "/" + std::to_string(PrefixLength(mask));
}
}  // namespace

bool MoveInterfaceAddress(const std::string& interfaceName, const Ipv4& oldIp, const Ipv4& oldMask, const Ipv4& newIp,
                          const Ipv4& newMask, std::string& error) {
    if (!InPrivateNetworkNamespace()) {
        error = "refusing to change an interface address outside a private network namespace";
        return false;
    }
    // The old address goes first: removing a primary address would also remove a
    // new one of the same subnet, added as its secondary.
    if (oldIp != newIp) RunIp({"addr", "del", WithPrefix(oldIp, oldMask), "dev", interfaceName});
    if (RunIp({"addr", "replace", WithPrefix(newIp, newMask), "dev", interfaceName}) != 0) {
        error = "ip addr replace failed on " + interfaceName;
        return false;
    }
    return true;
}

}  // namespace kravent::sim
