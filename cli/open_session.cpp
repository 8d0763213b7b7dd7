// Opening the connection of a command, with a failure that says which step failed and
// what to try: no route towards the address, no answer to the module test, a module of
// another type, or a TCP connection that did not come. The library's own messages
// follow under --verbose (and in the JSON object's causes and lastError).
#include <algorithm>

#include "cli/commands.h"
#include "cli/module_type.h"
#include "cli/value_format.h"
#include "hostos/hostos.h"

namespace kravent::cli {

namespace {

constexpr std::uint16_t kModuleTestPort = 7010;  // UDP, the module test and the scan
constexpr int kTypeAskMs = 1000;
constexpr std::string_view kNotFound = "Address IP not found on the network";
constexpr std::string_view kOtherType = "This module is not compatible with this DLL";

bool Logged(const Reporter& report, std::string_view cause) {
    const std::vector<std::string> messages = report.LoggedMessages();
    return std::any_of(messages.begin(), messages.end(),
                       [&](const std::string& m) { return WithoutReporter(m) == cause; });
}

// Why the library refused the open, from the causes it logged.
std::string RefusalText(const Reporter& report, const std::string& address, std::uint32_t peer,
                        const std::string& source) {
    if (Logged(report, kOtherType)) {
        // The library does not say which type answered: the tool asks once more.
        const std::optional<ModuleType> type = AskModuleType(peer, kTypeAskMs);
        const std::string named =
            type ? "TYPE " + std::to_string(type->high) + "." + std::to_string(type->low) : "not TYPE 2.2";
        return "a module answered at " + address + " but is of another type (" + named +
               "; this library serves TYPE 2.2): check that the address is the module's (kravent scan lists "
               "each module with its TYPE)";
    }
    if (Logged(report, kNotFound))
        return "nothing answered the module test on UDP 7010 at " + address +
               " in time: run `kravent scan` to list the modules and their addresses, and check that " + address +
               " is on this machine's subnet (this machine would send to it from " + source + ")";
    return "cannot open a connection to " + address;
}

}  // namespace

int OpenSession(Session& session, const std::string& ipText, const Reporter& report) {
    std::int32_t ip[4];
    if (!ParseAddress(ipText, ip)) return report.Usage("'" + ipText + "' is not a dotted IPv4 address");
    const std::string address = FormatAddress(ip);
    // Asking the system for the route sends nothing.
    const auto peer = hostos::ParseAddress(address);
    const std::uint32_t source = peer ? hostos::SourceAddressToward({*peer, kModuleTestPort}) : 0;
    if (peer && source == 0)
        return report.Failure("no route or interface towards " + address +
                              ": check the address, and this machine's addresses and routes (ip address, ip route)");
    std::string error;
    if (session.Open(ip, error)) return 0;
    // The handle exists once the module test has passed: then TCP is what failed.
    if (session.com() == nullptr)
        return report.Failure(RefusalText(report, address, peer.value_or(0), hostos::FormatAddress(source)));
    return report.Failure("TCP 8010 at " + address + " refused or did not connect: " + error +
                          ". The module answered on UDP 7010: check that it accepts a connection (it may hold "
                          "another host's) and try again");
}

}  // namespace kravent::cli
