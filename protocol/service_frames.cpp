#include "protocol/service_frames.h"

#include <cstring>

#include "protocol/address_arrays.h"
#include "protocol/frame.h"
#include "protocol/register_map.h"

namespace kravent {

namespace {
constexpr std::uint8_t kTypeAddress = 0x00;
constexpr std::uint8_t kVersionAddress = 0x01;
constexpr std::uint8_t kMacAddress = 0x11;
constexpr std::uint8_t kNameAddress = 0x15;
constexpr std::size_t kMaxPayload = kUdpReassemblySize - wire::kHeaderSize - wire::kChecksumSize;
constexpr std::size_t kChangeIpPayload = 14;

std::int32_t Half(const std::uint8_t* p) { return wire::GetU16(p); }

// True when this module has already answered the scan from this address; remembers it
// otherwise.
bool AlreadyCounted(ScanTable& scan, const std::uint8_t* mac, const char* sender) {
    std::array<std::uint8_t, 10> key{};
    std::memcpy(key.data(), mac, kMacAddressBytes);
    std::int32_t ip[kIpAddressBytes] = {};
    IPTextToArray(sender, ip);
    for (int k = 0; k < kIpAddressBytes; ++k) key[kMacAddressBytes + k] = static_cast<std::uint8_t>(ip[k]);
    for (std::size_t i = 0; i < scan.seenCount; ++i)
        if (scan.seen[i] == key) return true;
    if (scan.seenCount < scan.seen.size()) scan.seen[scan.seenCount++] = key;
    return false;
}

// Walks the register items of one verified payload.
ServiceFailure WalkPayload(UdpServiceState& state, const std::uint8_t* payload, std::size_t count) {
    const char* sender = state.frameSender;
    std::int32_t type[2] = {0, 0};
    std::int32_t version[2] = {0, 0};
    char name[16] = {};
    std::size_t pos = 0;
    while (pos < count) {
        const std::uint8_t address = payload[pos++];
        const int size = RegisterSize(address);
        const bool known =
            address == kTypeAddress || address == kVersionAddress || address == kMacAddress || address == kNameAddress;
        if (!known) return ServiceFailure::UnknownRegister;
        // An item cut short by the end of the payload ends the walk.
        if (count - pos < static_cast<std::size_t>(size)) return ServiceFailure::None;
        const std::uint8_t* value = payload + pos;
        pos += static_cast<std::size_t>(size);
        switch (address) {
        case kTypeAddress:
            type[0] = Half(value);
            type[1] = Half(value + 2);
            if (state.typeTest.active) {
                state.typeTest.valueHigh = type[0];
                state.typeTest.valueLow = type[1];
            }
            break;
        case kVersionAddress:
            version[0] = Half(value);
            version[1] = Half(value + 2);
            break;
        case kNameAddress: std::memcpy(name, value, sizeof name); break;
        case kMacAddress: {
            ScanTable& scan = state.scan;
            if (scan.active && scan.mergeRepeats && AlreadyCounted(scan, value, sender)) break;
            if (scan.active && scan.records != nullptr && scan.count < scan.capacity) {
                ModuleScanRecord& record = scan.records[scan.count];
                record.TypeHigh = type[0];
                record.TypeLow = type[1];
                record.VersionHigh = version[0];
                record.VersionLow = version[1];
                for (int k = 0; k < kMacAddressBytes; ++k) record.ModuleMac[k] = value[k];
                IPTextToArray(sender, record.ModuleIP);
                std::memcpy(record.ModuleName, name, sizeof name);
            }
            ++scan.count;
            break;
        }
        }
    }
    return ServiceFailure::None;
}
}  // namespace

void BuildChangeIpFrame(const std::int32_t* macAddress, const std::int32_t* ipAddress,
                        const std::int32_t* subnetMaskAddress, std::uint8_t (&frame)[kChangeIpFrameSize]) {
    wire::WriteHeader(frame, wire::kChangeIpAddress, wire::kChangeIpWord);
    std::uint8_t* p = frame + wire::kHeaderSize;
    for (int k = 0; k < kMacAddressBytes; ++k) *p++ = static_cast<std::uint8_t>(macAddress[k]);
    for (int k = 0; k < kIpAddressBytes; ++k) *p++ = static_cast<std::uint8_t>(ipAddress[k]);
    for (int k = 0; k < kIpAddressBytes; ++k) *p++ = static_cast<std::uint8_t>(subnetMaskAddress[k]);
    wire::CloseFrame(frame, kChangeIpPayload);
}

void ResetUdpReassembly(UdpServiceState& state) {
    state.fill = 0;
    state.headerComplete = false;
    state.wanted = wire::kHeaderSize;
}

void BeginServiceDatagram(UdpServiceState& state, const char* sender) {
    if (state.fill > 0 && std::strncmp(state.frameSender, sender, sizeof state.frameSender) != 0)
        ResetUdpReassembly(state);
    std::strncpy(state.frameSender, sender, sizeof state.frameSender - 1);
}

ServiceStep TakeServiceBytes(UdpServiceState& state, const std::uint8_t* bytes, std::size_t count) {
    ServiceStep step;
    std::size_t& i = step.taken;
    while (i < count) {
        state.frame[state.fill++] = bytes[i++];
        if (--state.wanted != 0) continue;
        const std::size_t payload = wire::GetU16(state.frame + 4);
        if (!state.headerComplete) {
            if (payload > kMaxPayload) {
                // Cannot be rebuilt: drop the header and the rest of this datagram.
                ResetUdpReassembly(state);
                i = count;
                return step;
            }
            state.wanted = payload + wire::kChecksumSize;
            state.headerComplete = true;
            continue;
        }
        if (!wire::ChecksumMatches(state.frame, payload)) {
            step.failure = ServiceFailure::ChecksumError;
        } else if (payload > 0) {
            step.failure = WalkPayload(state, state.frame + wire::kHeaderSize, payload);
        }
        ResetUdpReassembly(state);
        if (step.failure != ServiceFailure::None) return step;
    }
    return step;
}

}  // namespace kravent
