// Opening the connection of a command, with a failure that says which step failed and
// what to try: no route towards the address, no answer to the module test, a module of
// another type, or a TCP connection that did not come. The library's own messages
// follow under --verbose (and in the JSON object's causes and lastError).
#include <algorithm>

#include "cli/commands.h"
#include "cli/value_format.h"
#include "hostos/hostos.h"

namespace kravent::cli {

namespace {

constexpr std::uint16_t kModuleTestPort = 7010;  // UDP, the module test and the scan
constexpr std::string_view kNotFound = "Address IP not found on the network";
constexpr std::string_view kOtherType = "This module is not compatible with this DLL";

bool Logged(const Reporter& report, std::string_view cause) {
    const std::vector<std::string> messages = report.LoggedMessages();
    return std::any_of(messages.begin(), messages.end(),
                       [&](const std::string& m) { return WithoutReporter(m) == cause; });
}

// Why the library refused the open, from the causes it logged.
std::string RefusalText(const Reporter& report, const std::string& address, const std::string& source) {
    if (Logged(report, kOtherType))
        return "a module answered at " + address +
               " but is of another type (not TYPE 2.2, the type this library serves): check that the address "
               "is the module's (kravent scan lists each module with its TYPE)";
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
    const auto peer = hostos::ParseAddress(address);
    const auto source = peer ? hostos::RouteSource({*peer, kModuleTestPort}) : std::nullopt;
    if (peer && !source)
        return report.Failure("no route or interface towards " + address +
                              ": check the address, and this machine's addresses and routes (ip address, ip route)");
    std::string error;
    if (session.Open(ip, error)) return 0;
    // The handle exists once the module test has passed: then TCP is what failed.
    if (session.com() == nullptr)
        return report.Failure(RefusalText(report, address, source ? hostos::FormatAddress(*source) : "?"));
    return report.Failure("TCP 8010 at " + address + " refused or did not connect (" + error +
                          "), though the module answered on UDP 7010: check that it accepts a connection "
                          "(it may hold one of another host) and try again");
}

}  // namespace kravent::cli
