// Frame builders and log readers for the protocol tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "commanagement/com_management.h"

namespace kravent::test {

using Bytes = std::vector<std::uint8_t>;

// Header, payload and checksum of one frame.
Bytes Frame(std::uint16_t type, const Bytes& payload);
inline Bytes ReadRequest(const Bytes& payload) { return Frame(0x0021, payload); }
inline Bytes WriteRequest(const Bytes& payload) { return Frame(0x0022, payload); }
inline Bytes ReadAnswer(const Bytes& payload) { return Frame(0x0023, payload); }

Bytes Concat(std::initializer_list<Bytes> parts);

// Packet k (0-based) as the last assembly left it.
Bytes Packet(const CComManagement& c, int k);

// All packets of the last assembly.
std::vector<Bytes> Packets(const CComManagement& c);

std::string LastError();

// The IP column of the newest record of the error log that carries exactly `message`
// (trailing padding removed), or "<none>" when no record has it.
std::string LoggedIpOf(std::string_view message);

// Feeds bytes to the receive side as one notification.
void Receive(CComManagement& c, const Bytes& bytes);

// Lets the receive side treat answers as belonging to a later packet of an exchange, so
// that the Received flags are not cleared between notifications.
inline void AnswerLaterPacket(CComManagement& c) {
    c.PacketCount.store(2);
    c.PacketsSent.store(2);
}

}  // namespace kravent::test
