#include "cli/commands.h"
#include "cli/value_format.h"

namespace kravent::cli {

int OpenSession(Session& session, const std::string& ipText, const Reporter& report) {
    std::int32_t ip[4];
    if (!ParseAddress(ipText, ip)) return report.Usage("'" + ipText + "' is not a dotted IPv4 address");
    std::string error;
    if (!session.Open(ip, error)) return report.Failure(error);
    return 0;
}

}  // namespace kravent::cli
