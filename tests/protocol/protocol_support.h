// Packets of a connection and log readers for the protocol tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "connection/com_management.h"
#include "test_frames.h"

namespace kravent::test {

// Packet k (0-based) as the last assembly left it.
Bytes Packet(const CComManagement& c, int k);

// All packets of the last assembly.
std::vector<Bytes> Packets(const CComManagement& c);

std::string LastError();

// The IP column of the newest record of the error log that carries exactly `message`
// (trailing padding removed), or "<none>" when no record has it.
std::string LoggedIpOf(std::string_view message);

}  // namespace kravent::test
