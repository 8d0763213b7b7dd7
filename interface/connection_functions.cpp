// Opening and closing a connection to a module's main port, and its socket state.
#include <string>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "connection/com_management.h"
#include "connection/delivery_scope.h"
#include "tcp/ethernet_com.h"
#include "export_alias.h"
#include "udp/module_test.h"
#include "interface/connection_registry.h"
#include "interface/failure.h"
#include "protocol/address_arrays.h"

namespace kravent {
namespace {

bool OpenConnection(const std::int32_t* ip, Data_Received_MAINPORT_Callback dataReceived,
                    Com_Event_Callback comEvent, ComID* handle) {
    if (handle == nullptr)
        return ReportFailure("ComID variable not valid (NULL)\t(Vorn_KRAVENT_OpenConnection_MAINPORT)", kNoAddress);
    // An open on a variable that holds a connection closes it first, whatever follows.
    CloseRegisteredConnection(*handle);
    *handle = nullptr;

    if (ip == nullptr)
        return ReportFailure("Address IP not valid (NULL)\t(Vorn_KRAVENT_OpenConnection_MAINPORT)", kNoAddress);
    const std::string ipText = IPArrayToText(ip);
    if (!IsByteArrayValid(ip, kIpAddressBytes))
        return ReportFailure("Address IP not valid\t(Vorn_KRAVENT_OpenConnection_MAINPORT)", ipText);
    if (!MakeInitialTYPETest(ip))
        return ReportFailure("Initial Test failed\t(Vorn_KRAVENT_OpenConnection_MAINPORT)", ipText);

    auto* c = new CComManagement();
    const ComID com = RegisterConnection(c);
    if (com == nullptr) {
        DestroyConnection(c);
        return ReportFailure("Not enough memory for a new connection\t(Vorn_KRAVENT_OpenConnection_MAINPORT)", ipText);
    }
    *handle = com;
    c->SetIPAddressText(ipText);

    // Marks the open done before the teardown, which waits for notifications under way.
    const auto refuse = [&](std::string_view message) {
        ReportFailure(message, c->IpText());
        c->MarkOpened();
        CloseRegisteredConnection(com);
        *handle = nullptr;
        return false;
    };
    if (dataReceived == nullptr)
        return refuse("Data_Received_MAINPORT function not valid (NULL)\t(Vorn_KRAVENT_OpenConnection_MAINPORT)");
    if (comEvent == nullptr)
        return refuse("Com_Event function not valid (NULL)\t(Vorn_KRAVENT_OpenConnection_MAINPORT)");
    c->SetCallbacks(dataReceived, comEvent);

    // The transport is the connection's before it connects. The outcome of the attempt
    // may be ready at once, on another thread: its handlers wait until MarkOpened, after
    // which the open touches the connection no more (a callback may close it).
    auto* transport = new CEthernetCom(c->IpText(), kMainPortTcpPort,
                                       {&CComManagement::OnDataReceived, &CComManagement::OnComEvent, c});
    c->AttachTransport(transport);
    if (!transport->Connect())
        return refuse("The connection attempt was refused by the socket layer\t(Vorn_KRAVENT_OpenConnection_MAINPORT)");
    c->MarkOpened();
    return true;
}

}  // namespace
}  // namespace kravent

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_OpenConnection_MAINPORT(const int32_t* IP,
                                                                       Data_Received_MAINPORT_Callback DataReceived,
                                                                       Com_Event_Callback ComEvent, ComID* Handle) {
    return kravent::CallGuarded(false, [&] { return kravent::OpenConnection(IP, DataReceived, ComEvent, Handle); });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_OpenConnection_MAINPORT)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_CloseConnection(ComID* Handle) {
    kravent::CallGuarded([&] {
        if (Handle == nullptr || *Handle == nullptr) return;
        const ComID com = *Handle;
        *Handle = nullptr;
        kravent::CloseRegisteredConnection(com);
    });
    return true;
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_CloseConnection)

extern "C" int32_t VORN_KRAVENT_CALL Vorn_KRAVENT_GetStateCommunication(ComID Com) {
    return kravent::CallGuarded(int32_t{0}, [&]() -> int32_t {
        const kravent::ConnectionRef c = kravent::FindConnection(Com);
        if (c == nullptr) return 0;
        const kravent::CEthernetCom* transport = c->Transport();
        return transport == nullptr ? 0 : transport->StateCommunication.load();
    });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_GetStateCommunication)
