#include "sim/socket_util.h"

#include "sim/register_text.h"

namespace kravent::sim {

namespace {
std::optional<Endpoint> LocalEndpoint(const std::string& address, std::uint16_t port, std::string& error) {
    const std::optional<std::uint32_t> host = BindableAddress(address);
    if (!host) {
        error = "not an IPv4 address: " + address;
        return std::nullopt;
    }
    return Endpoint{*host, port};
}
}  // namespace

SocketHandle OpenTcpListener(const std::string& address, std::uint16_t port, std::string& error) {
    const std::optional<Endpoint> local = LocalEndpoint(address, port, error);
    return local ? hostos::OpenTcpListener(*local, error) : kNoSocket;
}

SocketHandle OpenUdpSocket(const std::string& address, std::uint16_t port, bool shared, std::string& error) {
    const std::optional<Endpoint> local = LocalEndpoint(address, port, error);
    return local ? hostos::OpenUdpSocket(*local, shared, error) : kNoSocket;
}

bool IsAnyAddress(const std::string& address) { return address.empty() || address == "0.0.0.0"; }

std::optional<std::uint32_t> BindableAddress(const std::string& address) {
    if (IsAnyAddress(address)) return 0;
    const auto quad = ParseDottedQuad(address);
    if (!quad) return std::nullopt;
    return std::uint32_t{(*quad)[0]} << 24 | std::uint32_t{(*quad)[1]} << 16 | std::uint32_t{(*quad)[2]} << 8 | (*quad)[3];
}

}  // namespace kravent::sim
