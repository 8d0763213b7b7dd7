// Every exported register function with one valid call and the payload item that the
// call must put on the wire: address byte and value bytes, written out by hand.
#pragma once

#include <string>
#include <vector>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "protocol_support.h"

namespace kravent::test {

struct RegisterCall {
    std::string name;
    bool (*call)(ComID);
    bool isWrite;
    Bytes item;
    bool ::RegisterValues::*written;  // null for reads
};

// Reads in the order of the read list, then writes in the order of the write list.
const std::vector<RegisterCall>& RegisterCalls();

std::vector<RegisterCall> ReadCalls();
std::vector<RegisterCall> WriteCalls();

// Payload bytes of the items of calls [first, last).
Bytes Items(const std::vector<RegisterCall>& calls, std::size_t first, std::size_t last);

}  // namespace kravent::test
