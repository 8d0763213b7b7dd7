// The table of live TCP clients. Window messages name their client by a serial number,
// never by pointer, so that a message still queued for a destroyed client finds nothing.
#pragma once

#include <cstdint>

#include "platform/win32/windows_api.h"

namespace kravent::platform {

// A slot for `impl`; 0 when the table is full.
std::uint32_t RegisterClient(TcpClient::Impl* impl);

// Removes the client, then waits until no other thread delivers one of its
// notifications any more. Notifications on the calling thread itself (a client
// destroyed from its own callback) are not waited for: they end after this returns.
void UnregisterClient(std::uint32_t serial);

// One notification being delivered on this thread. While it lasts the client is not
// freed by another thread, and InNotification() of that client reads true here.
class Delivery {
public:
    explicit Delivery(std::uint32_t serial);
    ~Delivery();
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;

    // The client, or null when it no longer exists.
    TcpClient::Impl* client() const { return client_; }

    // False once a callback has destroyed the client.
    bool ClientAlive() const;

    // Deliveries of the client under way on the calling thread.
    static int CountOnThisThread(std::uint32_t serial);

private:
    std::uint32_t serial_;
    TcpClient::Impl* client_ = nullptr;
    Delivery* outer_ = nullptr;
};

}  // namespace kravent::platform
