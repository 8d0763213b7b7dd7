#include "udp/module_test.h"

#include <memory>
#include <string>

#include "udp/service_receive.h"
#include "udp/udp_service.h"
#include "log/error_log.h"
#include "platform/platform.h"
#include "protocol/address_arrays.h"

namespace kravent {

namespace {
constexpr std::uint32_t kAnswerTimeoutMs = 2000;
constexpr int kReceiveSize = 30;
constexpr char kNotFound[] = "Address IP not found on the network\t(MakeInitialTYPETest)";
}  // namespace

bool MakeInitialTYPETest(const std::int32_t* ip) {
    if (ip == nullptr) return false;
    const auto owned = std::make_unique<UdpServiceState>();
    UdpServiceState& state = *owned;
    state.typeTest = TypeTestState{true, 0, 0};
    const std::string destination = IPArrayToText(ip);

    platform::UdpSocket socket;
    if (!socket.Open() ||
        !socket.SendTo(destination.c_str(), UDP_SERVICE_PORT, kTypeRequest, static_cast<int>(sizeof kTypeRequest))) {
        WriteErrorLog(kNotFound, destination);
        socket.Close();
        state.typeTest.active = false;
        return false;
    }

    // The first datagram with bytes is the answer; one cut by the buffer is none.
    const std::uint64_t deadline = platform::SteadyMilliseconds() + kAnswerTimeoutMs;
    while (ReceiveServiceDatagram(state, socket, kReceiveSize, deadline) == ServiceReceive::Dropped) {}
    socket.Close();
    state.typeTest.active = false;

    const TypeTestState result = state.typeTest;
    if (result.valueHigh == kServedTypeHigh && result.valueLow == kServedTypeLow) return true;
    if (result.valueHigh == 0 && result.valueLow == 0)
        WriteErrorLog(kNotFound, destination);
    else
        WriteErrorLog("This module is not compatible with this DLL\t(MakeInitialTYPETest)", destination);
    return false;
}

}  // namespace kravent
