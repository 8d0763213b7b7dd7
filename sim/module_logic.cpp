#include "sim/module_logic.h"

#include <algorithm>
#include <cstring>

#include "protocol/frame.h"

namespace kravent::sim {

using wire::kChecksumSize;
using wire::kHeaderSize;

namespace {
constexpr std::uint8_t AddressOf(std::string_view name) {
    return kRegisters[static_cast<std::size_t>(RegisterIndex(name))].address;
}
}  // namespace

std::size_t ModuleLogic::Finish(std::uint8_t* out, std::size_t payloadLength) {
    const std::size_t size = wire::CloseFrame(out, payloadLength);
    if (faults_.TakeCorruption()) out[size - 1] = static_cast<std::uint8_t>(out[size - 1] ^ 0xA5);
    return size;
}

std::size_t ModuleLogic::AnswerTcpFrame(const std::uint8_t* frame, std::size_t size, std::uint8_t* out,
                                        std::size_t capacity, std::uint32_t reachedAt) {
    if (size < kHeaderSize + kChecksumSize || capacity < wire::kMaxFrameSize) return 0;
    const std::uint8_t* payload = frame + kHeaderSize;
    const std::size_t n = size - kHeaderSize - kChecksumSize;
    switch (wire::GetU16(frame)) {
    case wire::kReadRequest: return ReadAnswer(payload, n, false, reachedAt, out, capacity);
    case wire::kWriteRequest: return ApplyWrite(payload, n, out);
    default: return 0;
    }
}

std::size_t ModuleLogic::AnswerUdpFrame(const std::uint8_t* frame, std::size_t size, std::uint8_t* out,
                                        std::size_t capacity, AddressChange& change, std::uint32_t reachedAt) {
    change = {};
    if (size < kHeaderSize + kChecksumSize || capacity < wire::kMaxFrameSize) return 0;
    const std::uint8_t* payload = frame + kHeaderSize;
    const std::size_t n = size - kHeaderSize - kChecksumSize;
    switch (wire::GetU16(frame)) {
    case wire::kReadRequest: return ReadAnswer(payload, n, true, reachedAt, out, capacity);
    case wire::kChangeIpAddress: {
        if (n != 14) return 0;
        const WireValue mac = store_.GetRaw("ETHERNETMAC");
        if (std::memcmp(mac.data(), payload, 6) != 0) return 0;
        change.requested = true;
        std::memcpy(change.ip.data(), payload + 6, 4);
        std::memcpy(change.mask.data(), payload + 10, 4);
        wire::WriteHeader(out, wire::kReadAnswer);
        return Finish(out, 0);
    }
    default: return 0;
    }
}

std::size_t ModuleLogic::ReadAnswer(const std::uint8_t* payload, std::size_t n, bool udp, std::uint32_t reachedAt,
                                    std::uint8_t* out, std::size_t capacity) {
    const std::size_t limit = std::min(capacity, wire::kMaxFrameSize) - kChecksumSize;
    wire::WriteHeader(out, wire::kReadAnswer);
    std::size_t pos = kHeaderSize;
    const bool overrideType = udp && faults_.overrideType.load();
    const bool reachedIp = reachedAt != 0 && followReached_.load();
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint8_t address = payload[k];
        const int index = RegisterIndex(address);
        if (index == kNoIndex || !kRegisters[static_cast<std::size_t>(index)].readable) continue;
        const std::size_t valueSize = static_cast<std::size_t>(RegisterSize(address));
        if (pos + 1 + valueSize > limit) break;
        out[pos] = address;
        store_.Read(address, out + pos + 1);
        if (overrideType && address == AddressOf("TYPE")) wire::PutU32(out + pos + 1, faults_.answerType.load());
        if (reachedIp && address == AddressOf("IPADDRESS")) wire::PutU32(out + pos + 1, reachedAt);
        pos += 1 + valueSize;
    }
    if (faults_.unknownRegister.load() && pos + 5 <= limit) {
        out[pos] = kUnknownAddress;
        std::memset(out + pos + 1, 0, 4);
        pos += 5;
    }
    return Finish(out, pos - kHeaderSize);
}

std::size_t ModuleLogic::ApplyWrite(const std::uint8_t* payload, std::size_t n, std::uint8_t* out) {
    for (std::size_t k = 0; k < n;) {
        const std::uint8_t address = payload[k++];
        const int index = RegisterIndex(address);
        if (index == kNoIndex) break;
        const RegisterInfo& reg = kRegisters[static_cast<std::size_t>(index)];
        const auto valueSize = static_cast<std::size_t>(WireSize(reg.encoding));
        if (valueSize > n - k) break;
        if (reg.write == Write::Command) {
            RunCommand(address);
        } else if (reg.write == Write::Value && reg.name == "WARNINGS") {
            store_.SetWord("WARNINGS", store_.GetWord("WARNINGS") & wire::GetU32(payload + k));
        } else if (reg.write == Write::Value) {
            store_.Write(address, payload + k, valueSize);
            if (reg.name == "IPADDRESS") followReached_ = false;
        }
        k += valueSize;
    }
    wire::WriteHeader(out, wire::kReadAnswer);
    return Finish(out, 0);
}

void ModuleLogic::RunCommand(std::uint8_t address) {
    switch (address) {
    case AddressOf("RESETCPU"): motor_.Reset(store_); break;
    case AddressOf("SAVEUSERPARAMETERS"): store_.SaveUserParameters(); break;
    case AddressOf("RESTOREUSERPARAMETERS"): store_.RestoreUserParameters(); break;
    case AddressOf("RESTOREFACTORYPARAMETERS"): store_.RestoreFactoryParameters(); break;
    case AddressOf("SAVEFACTORYPARAMETERS"): store_.SaveFactoryParameters(); break;
    case AddressOf("HOMING"): motor_.StartHoming(); break;
    case AddressOf("STOPHOMING"): motor_.StopHoming(); break;
    default: break;
    }
}

}  // namespace kravent::sim
