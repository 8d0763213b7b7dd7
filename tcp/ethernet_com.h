// The byte pipe between a connection and a module's main port: one non-blocking TCP
// client socket, its state, whole-packet sends for the sender threads, and the bytes
// and events of the socket handed on through two callbacks.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/platform.h"

namespace kravent {

inline constexpr std::int32_t kReceiveBufferSize = 65000;
inline constexpr std::int32_t kMainPortTcpPort = 8010;  // MAINPORT_TCP_PORT

// Values of StateCommunication (and of the event codes: 0, 1 and 2).
inline constexpr std::int32_t kStateNotConnected = 0;
inline constexpr std::int32_t kStateConnected = 1;
inline constexpr std::int32_t kStateError = 2;
inline constexpr std::int32_t kStateConnecting = 3;
inline constexpr std::int32_t kStateClosing = 4;

class CEthernetCom;

// Called with (user pointer, the bytes read, their count, transport) as bytes arrive;
// the bytes are valid until the call returns.
using TransportDataFn = void (*)(void* user, const std::uint8_t* bytes, std::int32_t count, CEthernetCom* transport);
// Called with (user pointer, new StateCommunication, transport) on connect, close, error.
using TransportEventFn = void (*)(void* user, std::int32_t code, CEthernetCom* transport);

struct TransportCallbacks {
    TransportDataFn data = nullptr;
    TransportEventFn event = nullptr;
    void* user = nullptr;
};

class CEthernetCom {
public:
    // Creates the socket without connecting it (Connect() does), so that the owner can
    // take the transport in hand before any notification of it can come. The address
    // text is the owner's and must outlive the transport.
    CEthernetCom(std::string_view ipAddressText, std::int32_t port, TransportCallbacks callbacks);
    // Shuts the socket down first: a connected socket reports 0 through the event callback.
    ~CEthernetCom();
    CEthernetCom(const CEthernetCom&) = delete;
    CEthernetCom& operator=(const CEthernetCom&) = delete;

    // Starts the connection attempt and returns without waiting for it: to the address
    // and port given at construction, or to those given. False when the socket is open
    // already, or when the socket layer refuses the attempt at once.
    bool Connect() { return Connect(IpText(), Port); }
    bool Connect(std::string_view ipAddressText, std::int32_t port);
    void Disconnect();
    // True when all `count` bytes went to the socket; otherwise logs why.
    bool SendData(const std::uint8_t* buffer, std::int32_t count);
    // The calling thread waits up to `timeoutMs` for the module's bytes and has them
    // delivered through the data callback on itself (see platform::TcpClient).
    platform::OwnReceive ReceiveOnThisThread(std::uint32_t timeoutMs, platform::Event& done) {
        return ClientSocket->ReceiveOnThisThread(timeoutMs, done);
    }
    void InterruptReceivers() { ClientSocket->InterruptReceivers(); }

    // True when the last Connect() was refused at once by the socket layer.
    bool ConnectRefused() const { return connectRefused_; }
    std::string_view IpText() const { return IPAddressText; }

    // Written by the notifications, read by any thread.
    std::atomic<std::int32_t> StateCommunication{kStateNotConnected};
    // True once the socket has closed or failed (or never started): this transport
    // will not connect again.
    bool Lost() const {
        const std::int32_t state = StateCommunication.load();
        return state != kStateConnected && state != kStateConnecting;
    }

private:
    static void OnNotification(void* user, platform::SocketNotification what, int errorCode);
    void ClientSocketRead();
    void RaiseEvent(std::int32_t state);

    std::string_view IPAddressText;
    std::int32_t Port = 0;
    // Used inside one read notification only; read notifications never overlap.
    std::uint8_t ReceiveBuffer[kReceiveBufferSize];
    std::unique_ptr<platform::TcpClient> ClientSocket;
    TransportCallbacks Callbacks;
    bool connectRefused_ = false;
};

}  // namespace kravent
