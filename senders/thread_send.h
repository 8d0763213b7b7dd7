// The one-shot sender: on each send trigger it takes the connection, has every flagged
// request packed into packets, sends them and waits for the reply.
#pragma once

#include "senders/sender_thread.h"

namespace kravent {

class TThreadSend : public SenderThread {
public:
    explicit TThreadSend(SenderLink& connection);  // running at once
    ~TThreadSend() override;

protected:
    void Execute() override;
    bool Hold(bool replyOutstanding) override;

private:
    // One exchange after a trigger; false when termination was requested.
    bool RunCycle();
    // The end of an exchange: the token goes back, and a host that got no reply may
    // trigger again.
    void EndCycle(bool replyDelivered);
};

}  // namespace kravent
