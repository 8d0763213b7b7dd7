// The send trigger and the control of the repetitive sender.
#include <string_view>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "commanagement/com_management.h"
#include "export_alias.h"
#include "interface/connection_handle.h"
#include "interface/failure.h"
#include "thread/thread_send_continuous.h"

namespace kravent {
namespace {

// The body runs only for a connection the library holds, with the repetitive sender.
template <typename Body>
bool WithRepetitiveSender(ComID com, std::string_view function, Body&& body) {
    return CallGuarded(false, [&] {
        const ConnectionRef c = ConnectionFromHandle(com, function);
        if (c == nullptr) return false;
        if (!c->ThreadSendContinuous) return true;  // a connection without threads polls nothing
        return body(*c, *c->ThreadSendContinuous);
    });
}

}  // namespace
}  // namespace kravent

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_SendData_MAINPORT(ComID Com) {
    return kravent::CallGuarded(false, [&] {
        const kravent::ConnectionRef c = kravent::ConnectionFromHandle(Com, "Vorn_KRAVENT_SendData_MAINPORT");
        if (c == nullptr) return false;
        // Test and clear in one step: of two racing triggers only one is accepted.
        if (!c->ReplyReceived.exchange(false))
            return kravent::ReportFailure(
                "Call Vorn_KRAVENT_SendData_MAINPORT before receive data of the last call\t(Vorn_KRAVENT_SendData_MAINPORT)",
                c->IpText());
        c->HevNewSend.Set();
        return true;
    });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_SendData_MAINPORT)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskStart(ComID Com) {
    return kravent::WithRepetitiveSender(Com, "Vorn_KRAVENT_StartRepetitiveAsk",
                                         [](kravent::CComManagement&, kravent::TThreadSendContinuous& sender) {
                                             sender.Start();
                                             return true;
                                         });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_RepetitiveAskStart)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskStop(ComID Com) {
    return kravent::WithRepetitiveSender(Com, "Vorn_KRAVENT_StopRepetitiveAsk",
                                         [](kravent::CComManagement&, kravent::TThreadSendContinuous& sender) {
                                             sender.RequestStop();
                                             return true;
                                         });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_RepetitiveAskStop)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskSetTime(int32_t TimeMiliSec, ComID Com) {
    return kravent::WithRepetitiveSender(
        Com, "Vorn_KRAVENT_SetRepetitiveAskTime",
        [&](kravent::CComManagement& c, kravent::TThreadSendContinuous& sender) {
            if (TimeMiliSec <= 0)
                return kravent::ReportFailure(
                    "Bad value for TimeMiliSec. It's must be positive and bigger than zero\t(Vorn_KRAVENT_SetRepetitiveAskTime)",
                    c.IpText());
            if (!sender.SetPeriod(TimeMiliSec))
                return kravent::ReportFailure(
                    "Bad value for TimeMiliSec. The timer cannot serve this period\t(Vorn_KRAVENT_SetRepetitiveAskTime)",
                    c.IpText());
            return true;
        });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_RepetitiveAskSetTime)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_RepetitiveAskReset(ComID Com) {
    return kravent::WithRepetitiveSender(Com, "Vorn_KRAVENT_SetRepetitiveAskPacket",
                                         [](kravent::CComManagement& c, kravent::TThreadSendContinuous& sender) {
                                             sender.SuspendNow();
                                             c.ClearRepetitive();
                                             return true;
                                         });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_RepetitiveAskReset)
