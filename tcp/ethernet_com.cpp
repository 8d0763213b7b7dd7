#include "tcp/ethernet_com.h"

#include <algorithm>
#include <cstring>

#include "log/error_log.h"

namespace kravent {

namespace {
constexpr std::string_view kNotActiveMessage = "Socket Not active\r\nCall first : Vorn_OpenConnection().\t(Vorn_Send)";
constexpr std::string_view kPartialSendMessage = "Cannot Send all Bytes.\t(Vorn_Send)";
}  // namespace

CEthernetCom::CEthernetCom(std::string_view ipAddressText, std::int32_t port, TransportCallbacks callbacks)
    : IPAddressText(ipAddressText),
      Port(port),
      ClientSocket(std::make_unique<platform::TcpClient>(&CEthernetCom::OnNotification, this)),
      Callbacks(callbacks) {}

CEthernetCom::~CEthernetCom() {
    Disconnect();
    ClientSocket.reset();
}

bool CEthernetCom::Connect(std::string_view ipAddressText, std::int32_t port) {
    if (ClientSocket->Active()) return false;
    std::array<char, 16> text{};
    std::copy_n(ipAddressText.data(), std::min(ipAddressText.size(), text.size() - 1), text.data());
    connectRefused_ = !ClientSocket->Open(text.data(), port);
    return !connectRefused_;
}

void CEthernetCom::Disconnect() {
    StateCommunication.store(kStateClosing);
    // Also ends an attempt still under way, so that no late "connected" follows a close.
    // Only a connected socket raises the closed notification, here and now.
    ClientSocket->Close();
}

bool CEthernetCom::SendData(const std::uint8_t* buffer, std::int32_t count) {
    if (!ClientSocket->Active()) {
        WriteErrorLog(kNotActiveMessage, IpText());
        return false;
    }
    if (ClientSocket->SendBuf(buffer, count) == count) return true;
    WriteErrorLog(kPartialSendMessage, IpText());
    return false;
}

void CEthernetCom::OnNotification(void* user, platform::SocketNotification what, int /*errorCode*/) {
    auto& self = *static_cast<CEthernetCom*>(user);
    using platform::SocketNotification;
    switch (what) {
        case SocketNotification::Lookup:
        case SocketNotification::Connecting:
            self.StateCommunication.store(kStateConnecting);
            break;
        case SocketNotification::Connected:
            self.RaiseEvent(kStateConnected);
            break;
        case SocketNotification::Read:
            self.ClientSocketRead();
            break;
        case SocketNotification::Disconnected:
            self.RaiseEvent(kStateNotConnected);
            break;
        case SocketNotification::Error:
            // Handled here in full; a failing read or send is followed by a close.
            self.RaiseEvent(kStateError);
            break;
    }
}

void CEthernetCom::RaiseEvent(std::int32_t state) {
    StateCommunication.store(state);
    if (Callbacks.event != nullptr) Callbacks.event(Callbacks.user, state, this);
}

void CEthernetCom::ClientSocketRead() {
    // What is readable now, up to the buffer's size, without asking first how much.
    const std::int32_t count = ClientSocket->ReceiveBuf(ReceiveBuffer, kReceiveBufferSize);
    if (count > 0 && Callbacks.data != nullptr) Callbacks.data(Callbacks.user, ReceiveBuffer, count, this);
}

}  // namespace kravent
