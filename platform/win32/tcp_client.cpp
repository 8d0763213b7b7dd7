// The asynchronous TCP client: WSAAsyncSelect posts FD_CONNECT, FD_READ and FD_CLOSE
// to a hidden window of the thread that called Open(), so the notifications run on
// that thread while it dispatches its messages. Every session (Open to Close) has its
// own window; a message of an earlier session or of a destroyed client is ignored.
#include <climits>

#include "platform/win32/socket_window.h"
#include "platform/win32/tcp_client_registry.h"

namespace kravent::platform {

struct TcpClient::Impl {
    Impl(NotifyFn notifyFn, void* userPointer) : notify(notifyFn), user(userPointer) {}

    const NotifyFn notify;
    void* const user;
    std::uint32_t serial = 0;

    // Serialises send, receive and close, so that no call ever works on a socket
    // handle that has been closed (and perhaps reused). Never held while notifying.
    SRWLOCK lock = SRWLOCK_INIT;
    SOCKET socket = INVALID_SOCKET;
    HWND window = nullptr;
    DWORD windowThread = 0;
    std::atomic<bool> connected{false};

    bool Open(const char* ipText, int port);
    void Close();
    bool Shutdown();
    bool IsSession(HWND messageWindow, SOCKET messageSocket);
    int ReceiveLength();
    int ReceiveBuf(void* buffer, int count);
    int SendBuf(const void* buffer, int count);
};

namespace {

// Raises one notification on the calling thread. Returns false when the callback
// destroyed the client: the caller must then not touch it any more.
bool Notify(TcpClient::Impl* client, std::uint32_t serial, SocketNotification what, int errorCode) {
    Delivery delivery(serial);
    if (delivery.client() != client) return false;
    client->notify(client->user, what, errorCode);
    return delivery.ClientAlive();
}

void ReleaseSocket(SOCKET socket, HWND window) {
    if (socket != INVALID_SOCKET) closesocket(socket);
    if (window != nullptr) DestroyWindow(window);
}

}  // namespace

bool TcpClient::Impl::Open(const char* ipText, int port) {
    in_addr address{};
    if (serial == 0 || port < 1 || port > 65535 || !ParseIPv4(ipText, &address)) return false;
    AcquireSRWLockExclusive(&lock);
    const bool busy = socket != INVALID_SOCKET;
    ReleaseSRWLockExclusive(&lock);
    if (busy) return false;

    SOCKET newSocket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    HWND newWindow = newSocket == INVALID_SOCKET ? nullptr : CreateSocketWindow(serial);
    if (newWindow == nullptr ||
        WSAAsyncSelect(newSocket, newWindow, kSocketMessage, FD_CONNECT | FD_READ | FD_CLOSE) != 0) {
        ReleaseSocket(newSocket, newWindow);
        return false;
    }
    AcquireSRWLockExclusive(&lock);
    const bool installed = socket == INVALID_SOCKET;
    if (installed) {
        socket = newSocket;
        window = newWindow;
        windowThread = GetCurrentThreadId();
    }
    ReleaseSRWLockExclusive(&lock);
    if (!installed) {
        ReleaseSocket(newSocket, newWindow);
        return false;
    }

    const std::uint32_t self = serial;
    if (!Notify(this, self, SocketNotification::Lookup, 0) || !Notify(this, self, SocketNotification::Connecting, 0))
        return false;

    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<u_short>(port));
    peer.sin_addr = address;
    AcquireSRWLockExclusive(&lock);
    const bool stillOpen = socket == newSocket;  // a callback may have closed it already
    const int error =
        !stillOpen || connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0 ? 0 : WSAGetLastError();
    ReleaseSRWLockExclusive(&lock);
    if (!stillOpen) return false;
    // A connect refused at once still ends in Error, delivered like any other outcome.
    if (error != 0 && error != WSAEWOULDBLOCK)
        PostMessageA(newWindow, kSocketMessage, static_cast<WPARAM>(newSocket),
                     WSAMAKESELECTREPLY(FD_CONNECT, static_cast<WORD>(error)));
    return true;
}

// Closes the socket of the session and retires its window; true when it was
// connected. Only one caller can take a connected socket away, so only one reports it.
bool TcpClient::Impl::Shutdown() {
    AcquireSRWLockExclusive(&lock);
    const SOCKET oldSocket = socket;
    const HWND oldWindow = window;
    const DWORD oldThread = windowThread;
    socket = INVALID_SOCKET;
    window = nullptr;
    const bool wasConnected = connected.exchange(false, std::memory_order_acq_rel);
    if (oldSocket != INVALID_SOCKET) closesocket(oldSocket);
    ReleaseSRWLockExclusive(&lock);
    RetireSocketWindow(oldWindow, oldThread);
    return wasConnected;
}

void TcpClient::Impl::Close() {
    if (Shutdown()) Notify(this, serial, SocketNotification::Disconnected, 0);
}

bool TcpClient::Impl::IsSession(HWND messageWindow, SOCKET messageSocket) {
    AcquireSRWLockShared(&lock);
    const bool current = window == messageWindow && socket == messageSocket && socket != INVALID_SOCKET;
    ReleaseSRWLockShared(&lock);
    return current;
}

int TcpClient::Impl::ReceiveLength() {
    u_long available = 0;
    AcquireSRWLockExclusive(&lock);
    const bool ok = socket != INVALID_SOCKET && ioctlsocket(socket, FIONREAD, &available) == 0;
    ReleaseSRWLockExclusive(&lock);
    if (!ok) return 0;
    return available > static_cast<u_long>(INT_MAX) ? INT_MAX : static_cast<int>(available);
}

int TcpClient::Impl::ReceiveBuf(void* buffer, int count) {
    if (count <= 0) return 0;
    if (buffer == nullptr) return -1;
    AcquireSRWLockExclusive(&lock);
    int error = WSAENOTSOCK;
    int received = -1;
    if (socket != INVALID_SOCKET) {
        received = recv(socket, static_cast<char*>(buffer), count, 0);
        error = received == SOCKET_ERROR ? WSAGetLastError() : 0;
    }
    const bool failed = received == SOCKET_ERROR && socket != INVALID_SOCKET && error != WSAEWOULDBLOCK;
    ReleaseSRWLockExclusive(&lock);
    if (received >= 0) return received;
    // A real failure of the socket layer: the error, then the close, on this thread.
    if (failed && Notify(this, serial, SocketNotification::Error, error)) Close();
    return -1;
}

int TcpClient::Impl::SendBuf(const void* buffer, int count) {
    if (count <= 0) return 0;
    if (buffer == nullptr) return -1;
    AcquireSRWLockExclusive(&lock);
    int error = WSAENOTSOCK;
    int sent = -1;
    if (socket != INVALID_SOCKET) {
        sent = send(socket, static_cast<const char*>(buffer), count, 0);
        error = sent == SOCKET_ERROR ? WSAGetLastError() : 0;
    }
    const bool failed = sent == SOCKET_ERROR && socket != INVALID_SOCKET && error != WSAEWOULDBLOCK;
    ReleaseSRWLockExclusive(&lock);
    if (sent >= 0) return sent;
    if (failed && Notify(this, serial, SocketNotification::Error, error)) Close();
    return -1;
}

void HandleSocketMessage(std::uint32_t serial, HWND window, WPARAM wParam, LPARAM selectResult) {
    // Holding a delivery keeps another thread from freeing the client meanwhile.
    Delivery delivery(serial);
    TcpClient::Impl* client = delivery.client();
    const auto socket = static_cast<SOCKET>(wParam);
    if (client == nullptr || !client->IsSession(window, socket)) return;
    const int error = WSAGETSELECTERROR(selectResult);
    switch (WSAGETSELECTEVENT(selectResult)) {
        case FD_CONNECT:
            if (error != 0) {
                client->Shutdown();  // a failed attempt ends without a Disconnected
                Notify(client, serial, SocketNotification::Error, error);
            } else {
                client->connected.store(true, std::memory_order_release);
                Notify(client, serial, SocketNotification::Connected, 0);
            }
            break;
        case FD_READ:
            if (error != 0) {
                if (Notify(client, serial, SocketNotification::Error, error)) client->Close();
            } else {
                Notify(client, serial, SocketNotification::Read, 0);
            }
            break;
        case FD_CLOSE:
            if (error != 0) {
                if (!Notify(client, serial, SocketNotification::Error, error)) return;
            } else {
                // The peer's last bytes may still wait: hand them on before closing,
                // as long as the callback keeps taking them.
                int waiting = client->ReceiveLength();
                while (waiting > 0) {
                    if (!Notify(client, serial, SocketNotification::Read, 0) || !client->IsSession(window, socket))
                        return;
                    const int left = client->ReceiveLength();
                    if (left >= waiting) break;
                    waiting = left;
                }
            }
            if (client->IsSession(window, socket)) client->Close();
            break;
        default:
            break;
    }
}

TcpClient::TcpClient(NotifyFn notify, void* user) : impl_(std::make_unique<Impl>(notify, user)) {
    impl_->serial = RegisterClient(impl_.get());
}

TcpClient::~TcpClient() {
    impl_->Shutdown();  // silently: an owner that wants Disconnected calls Close() first
    UnregisterClient(impl_->serial);
}

bool TcpClient::Open(const char* ipText, int port) { return impl_->Open(ipText, port); }
void TcpClient::Close() { impl_->Close(); }
bool TcpClient::Active() const { return impl_->connected.load(std::memory_order_acquire); }
int TcpClient::ReceiveLength() { return impl_->ReceiveLength(); }
int TcpClient::ReceiveBuf(void* buffer, int count) { return impl_->ReceiveBuf(buffer, count); }
int TcpClient::SendBuf(const void* buffer, int count) { return impl_->SendBuf(buffer, count); }
bool TcpClient::InNotification() const { return Delivery::CountOnThisThread(impl_->serial) > 0; }

// Notifications are window messages of the opening thread: no other thread takes them.
OwnReceive TcpClient::ReceiveOnThisThread(std::uint32_t, Event&) { return OwnReceive::NotHere; }
void TcpClient::InterruptReceivers() {}

}  // namespace kravent::platform
