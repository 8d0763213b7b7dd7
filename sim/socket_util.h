// The simulator's sockets: those of the programs' OS layer, opened at addresses
// written as the simulator's options write them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hostos/hostos.h"

namespace kravent::sim {

using hostos::AcceptConnection;
using hostos::BoundPort;
using hostos::CloseSocket;
using hostos::Endpoint;
using hostos::FormatEndpoint;
using hostos::kNoSocket;
using hostos::LocalAddressOf;
using hostos::PeerOf;
using hostos::Receive;
using hostos::ReceiveDatagram;
using hostos::SendAll;
using hostos::SendDatagram;
using hostos::ShutdownSocket;
using hostos::SleepUnlessWoken;
using hostos::SocketHandle;
using hostos::SourceAddressToward;
using hostos::WaitOutcome;
using hostos::WaitReadable;
using hostos::WakeSignal;

// A listening TCP socket, or kNoSocket with `error` set.
SocketHandle OpenTcpListener(const std::string& address, std::uint16_t port, std::string& error);
// A bound UDP socket with broadcast allowed that reports each datagram's destination
// address, or kNoSocket with `error` set. `shared` lets several modules each receive
// broadcasts on one port.
SocketHandle OpenUdpSocket(const std::string& address, std::uint16_t port, bool shared, std::string& error);

bool IsAnyAddress(const std::string& address);
// The address to bind to in host byte order (0 for any address), or nothing.
std::optional<std::uint32_t> BindableAddress(const std::string& address);

}  // namespace kravent::sim
