// The log messages of the two senders, from one pattern: they differ only in the event
// that wakes the sender and in the name of the function they name.
#include "senders/sender_thread.h"

namespace kravent {

#define KRAVENT_WAIT_MESSAGES(EVENT, WHERE)                                          \
    WaitMessages {                                                                   \
        "Event " EVENT " Timeout reached\t(" WHERE ")", "Event " EVENT " Abandoned\t(" WHERE ")", \
            "Event " EVENT " Unknown error\t(" WHERE ")"                             \
    }
#define KRAVENT_SENDER_MESSAGES(WAKE_EVENT, WHERE, SEND_WHERE, FILL)                                         \
    SenderMessages {                                                                                         \
        KRAVENT_WAIT_MESSAGES(WAKE_EVENT, WHERE), KRAVENT_WAIT_MESSAGES("HevSync", WHERE),                   \
            KRAVENT_WAIT_MESSAGES("HevMultiplePacket", WHERE), KRAVENT_WAIT_MESSAGES("HevAck", WHERE),       \
            "EthernetCom->SendData Failed\t(" SEND_WHERE ")", FILL " Failed\t(" SEND_WHERE ")"               \
    }

const SenderMessages kOneShotMessages =
    KRAVENT_SENDER_MESSAGES("HevNewSend", "TThreadSend::Execute", "TThreadSend::Execute", "FillPacketToSend");
// The repetitive sender's send and assembly failures name the thread by its old name.
const SenderMessages kRepetitiveMessages = KRAVENT_SENDER_MESSAGES(
    "HevTimer", "TThreadSendContinuous::Execute", "TThreadProcess::Execute", "FillPacketToSendContinuous");

#undef KRAVENT_SENDER_MESSAGES
#undef KRAVENT_WAIT_MESSAGES

}  // namespace kravent
