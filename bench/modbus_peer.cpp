// A peer protocol stack on the same machine: libmodbus reading 20 holding registers
// (12 bytes out, 49 back) from its own TCP server on loopback, one request at a time.
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <thread>
#include <vector>

#include "bench/figures.h"

namespace kravent::bench {

namespace {

constexpr int kRegisters = 20;

struct ModbusContext {
    explicit ModbusContext(int port) : ctx(modbus_new_tcp("127.0.0.1", port)) {}
    ~ModbusContext() {
        if (ctx == nullptr) return;
        modbus_close(ctx);
        modbus_free(ctx);
    }
    ModbusContext(const ModbusContext&) = delete;
    ModbusContext& operator=(const ModbusContext&) = delete;
    modbus_t* ctx;
};

int BoundPort(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    return ntohs(address.sin_port);
}

void Serve(modbus_t* ctx, int listener) {
    modbus_mapping_t* map = modbus_mapping_new(0, 0, kRegisters, 0);
    int fd = listener;
    if (map != nullptr && modbus_tcp_accept(ctx, &fd) >= 0) {
        std::array<std::uint8_t, MODBUS_TCP_MAX_ADU_LENGTH> query{};
        for (;;) {
            const int length = modbus_receive(ctx, query.data());
            if (length < 0) break;
            if (length > 0 && modbus_reply(ctx, query.data(), length, map) < 0) break;
        }
    }
    if (map != nullptr) modbus_mapping_free(map);
}

}  // namespace

ExchangeFigures MeasureModbus(int warmup, int requests, std::string& error) {
    ExchangeFigures figures;
    ModbusContext server(0);
    const int listener = server.ctx == nullptr ? -1 : modbus_tcp_listen(server.ctx, 1);
    if (listener < 0) {
        error = "libmodbus cannot listen";
        return figures;
    }
    std::thread serving([&] { Serve(server.ctx, listener); });

    ModbusContext client(BoundPort(listener));
    const bool connected = client.ctx != nullptr && modbus_connect(client.ctx) == 0;
    if (!connected) ::shutdown(listener, SHUT_RDWR);  // releases the server's accept

    std::array<std::uint16_t, kRegisters> values{};
    std::vector<double>& latencyUs = figures.latencyUs;
    latencyUs.reserve(static_cast<std::size_t>(requests));
    bool ok = connected;
    std::int64_t startNs = NowNs();
    for (int i = 0; ok && i < warmup + requests; ++i) {
        if (i == warmup) startNs = NowNs();
        const std::int64_t sentNs = NowNs();
        ok = modbus_read_registers(client.ctx, 0, kRegisters, values.data()) == kRegisters;
        if (i >= warmup) latencyUs.push_back(static_cast<double>(NowNs() - sentNs) / 1000.0);
    }
    const std::int64_t endNs = NowNs();
    if (client.ctx != nullptr) modbus_close(client.ctx);  // the server's receive ends
    serving.join();
    ::close(listener);
    if (!ok) {
        error = connected ? "a libmodbus request failed" : "libmodbus cannot connect";
        return {};
    }
    figures.seconds = static_cast<double>(endNs - startNs) / 1e9;
    return figures;
}

}  // namespace kravent::bench
