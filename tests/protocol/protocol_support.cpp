#include "protocol_support.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "log/error_log.h"

namespace kravent::test {

Bytes Packet(const CComManagement& c, int k) {
    const auto* p = c.Packets().buffer[k];
    return Bytes(p, p + c.Packets().length[k]);
}

std::vector<Bytes> Packets(const CComManagement& c) {
    std::vector<Bytes> out;
    for (int k = 0; k < c.Packets().count; ++k) out.push_back(Packet(c, k));
    return out;
}

std::string LastError() {
    char buffer[512];
    std::int32_t length = sizeof buffer;
    CopyLastErrorText(buffer, &length);
    return std::string(buffer, static_cast<std::size_t>(length));
}

namespace {
std::string LogFilePath() {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, n > 0 ? static_cast<std::size_t>(n) : 0);
    return path.substr(0, path.rfind('/') + 1) + "Error_Vorn-KRAVENT_DLLInterface.log";
}
}  // namespace

std::string LoggedIpOf(std::string_view message) {
    std::ifstream file(LogFilePath(), std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // A record: date \t time \t IP (padded) \t message \r\n\r\n
    const std::string tail = "\t" + std::string(message) + "\r\n\r\n";
    const std::size_t at = log.rfind(tail);
    if (at == std::string::npos) return "<none>";
    const std::size_t start = log.rfind('\t', at - 1) + 1;
    std::string ip = log.substr(start, at - start);
    while (!ip.empty() && ip.back() == ' ') ip.pop_back();
    return ip;
}

}  // namespace kravent::test
