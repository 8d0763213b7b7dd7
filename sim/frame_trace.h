// --trace: one line on standard output per frame that a module receives or sends,
// with the time, the direction, the peer and the frame decoded, for example
//   17:02:11.482 module 0 <- tcp 127.0.0.1:40112 read request: VOLTAGE POSITION
//   17:02:11.483 module 0 -> tcp 127.0.0.1:40112 read answer: VOLTAGE=24 POSITION=-40
// Shared by every module of the program; lines never interleave.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "sim/socket_util.h"

namespace kravent::sim {

class FrameTrace {
public:
    explicit FrameTrace(std::FILE* out) : out_(out) {}

    // One whole frame (header, payload, checksum).
    void Frame(int module, bool received, bool udp, const Endpoint& peer, const std::uint8_t* frame, std::size_t size);
    // What went out in one send: one or more frames one after another.
    void Sent(int module, bool udp, const Endpoint& peer, const std::uint8_t* bytes, std::size_t size);

private:
    std::mutex mutex_;
    std::FILE* out_;
};

// The frame's kind and registers as text ("read answer: VOLTAGE=24 ..."), for the trace.
std::string DescribeFrame(const std::uint8_t* frame, std::size_t size);

}  // namespace kravent::sim
