// The send trigger and the control of the repetitive sender.
#include <string_view>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "connection/com_management.h"
#include "export_alias.h"
#include "interface/connection_handle.h"
#include "interface/failure.h"

namespace kravent {
namespace {

// The body runs only for a connection the library holds, with its senders.
template <typename Body>
bool WithRepetitiveSender(ComID com, std::string_view function, Body&& body) {
    return CallGuarded(false, [&] {
        const ConnectionRef c = ConnectionFromHandle(com, function);
        if (c == nullptr) return false;
        if (!c->HasSenders()) return true;  // a connection without threads polls nothing
        return body(*c);
    });
}

}  // namespace
}  // namespace kravent

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_SendData_MAINPORT(ComID Com) {
    return kravent::CallGuarded(false, [&] {
        const kravent::ConnectionRef c = kravent::ConnectionFromHandle(Com, "Vorn_KRAVENT_SendData_MAINPORT");
        if (c == nullptr) return false;
        if (c->TriggerSend()) return true;
        return kravent::ReportFailure(
            "Call Vorn_KRAVENT_SendData_MAINPORT before receive data of the last call\t(Vorn_KRAVENT_SendData_MAINPORT)",
            c->IpText());
    });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_SendData_MAINPORT)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskStart(ComID Com) {
    return kravent::WithRepetitiveSender(Com, "Vorn_KRAVENT_StartRepetitiveAsk",
                                         [](kravent::CComManagement& c) {
                                             c.StartPolling();
                                             return true;
                                         });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_RepetitiveAskStart)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskStop(ComID Com) {
    return kravent::WithRepetitiveSender(Com, "Vorn_KRAVENT_StopRepetitiveAsk",
                                         [](kravent::CComManagement& c) {
                                             c.StopPollingAtNextPeriod();
                                             return true;
                                         });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_RepetitiveAskStop)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskSetTime(int32_t TimeMiliSec, ComID Com) {
    return kravent::WithRepetitiveSender(
        Com, "Vorn_KRAVENT_SetRepetitiveAskTime",
        [&](kravent::CComManagement& c) {
            if (TimeMiliSec <= 0)
                return kravent::ReportFailure(
                    "Bad value for TimeMiliSec. It's must be positive and bigger than zero\t(Vorn_KRAVENT_SetRepetitiveAskTime)",
                    c.IpText());
            if (!c.SetPollPeriod(TimeMiliSec))
                return kravent::ReportFailure(
                    "Bad value for TimeMiliSec. The timer cannot serve this period\t(Vorn_KRAVENT_SetRepetitiveAskTime)",
                    c.IpText());
            return true;
        });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_RepetitiveAskSetTime)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskReset(ComID Com) {
    return kravent::WithRepetitiveSender(Com, "Vorn_KRAVENT_SetRepetitiveAskPacket",
                                         [](kravent::CComManagement& c) {
                                             c.SuspendPolling();
                                             c.ClearRepetitive();
                                             return true;
                                         });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_RepetitiveAskReset)
