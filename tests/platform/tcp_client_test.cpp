#include "tcp_client_harness.h"
#include "test_listener.h"

#include <atomic>
#include <cerrno>
#include <gtest/gtest.h>

namespace kravent::testing {
namespace {

using platform::Event;
using platform::WaitResult;
using N = SocketNotification;

// A client connected to a peer accepted by the test's listener.
struct Connected {
    Connected() {
        EXPECT_TRUE(harness.client->Open("127.0.0.1", listener.Port()));
        peer = listener.Accept(5000);
        EXPECT_TRUE(peer.Valid());
        EXPECT_TRUE(harness.WaitFor(N::Connected));
    }
    Listener listener;
    ClientHarness harness;
    Peer peer;
};

TEST(TcpClientConnect, RaisesLookupAndConnectingOnTheCallerThenConnectedOnTheNotificationThread) {
    Listener listener;
    ClientHarness harness;
    EXPECT_FALSE(harness.client->Active());
    ASSERT_TRUE(harness.client->Open("127.0.0.1", listener.Port()));

    const auto early = harness.Notes();
    ASSERT_GE(early.size(), 2u);
    EXPECT_EQ(early[0].what, N::Lookup);
    EXPECT_EQ(early[1].what, N::Connecting);
    EXPECT_EQ(early[0].thread, std::this_thread::get_id());
    EXPECT_EQ(early[1].thread, std::this_thread::get_id());
    EXPECT_TRUE(early[0].inNotification);
    EXPECT_FALSE(harness.client->InNotification());

    Peer peer = listener.Accept(5000);
    ASSERT_TRUE(harness.WaitFor(N::Connected));
    const auto notes = harness.Notes();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[2].what, N::Connected);
    EXPECT_NE(notes[2].thread, std::this_thread::get_id());
    EXPECT_TRUE(notes[2].inNotification);
    EXPECT_TRUE(harness.client->Active());
    EXPECT_FALSE(harness.client->Open("127.0.0.1", listener.Port()));  // already open
}

TEST(TcpClientConnect, RefusedConnectionEndsInErrorWithoutDisconnected) {
    ClientHarness harness;
    ASSERT_TRUE(harness.client->Open("127.0.0.1", ClosedPort()));
    ASSERT_TRUE(harness.WaitFor(N::Error));
    const auto notes = harness.Notes();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[2].error, ECONNREFUSED);
    EXPECT_FALSE(harness.client->Active());
    EXPECT_EQ(harness.client->SendBuf("x", 1), -1);
    harness.client->Close();  // never connected: nothing to raise
    EXPECT_EQ(harness.Count(N::Disconnected), 0u);
}

TEST(TcpClientConnect, FailedClientMayOpenAgain) {
    Listener listener;
    ClientHarness harness;
    ASSERT_TRUE(harness.client->Open("127.0.0.1", ClosedPort()));
    ASSERT_TRUE(harness.WaitFor(N::Error));
    ASSERT_TRUE(harness.client->Open("127.0.0.1", listener.Port()));
    Peer peer = listener.Accept(5000);
    EXPECT_TRUE(harness.WaitFor(N::Connected));
}

TEST(TcpClientConnect, RefusesBadAddressesWithoutRaisingAnything) {
    ClientHarness harness;
    EXPECT_FALSE(harness.client->Open(nullptr, 8010));
    EXPECT_FALSE(harness.client->Open("localhost", 8010));  // numeric addresses only
    EXPECT_FALSE(harness.client->Open("127.0.0.256", 8010));
    EXPECT_FALSE(harness.client->Open("127.0.0.1", -1));
    EXPECT_FALSE(harness.client->Open("127.0.0.1", 65536));
    EXPECT_TRUE(harness.Notes().empty());
}

TEST(TcpClientData, DeliversReadsInOrderAndSendsToThePeer) {
    Connected c;
    ASSERT_TRUE(c.peer.SendText("first,"));
    ASSERT_TRUE(c.harness.WaitForReceived(6));
    ASSERT_TRUE(c.peer.SendText("second"));
    ASSERT_TRUE(c.harness.WaitForReceived(12));
    EXPECT_EQ(c.harness.Received(), "first,second");
    for (const Note& n : c.harness.Notes()) {
        if (n.what == N::Read) {
            EXPECT_TRUE(n.inNotification);
        }
    }

    const char request[] = {0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x07};
    EXPECT_EQ(c.harness.client->SendBuf(request, sizeof request), static_cast<int>(sizeof request));
    char echoed[sizeof request] = {};
    ASSERT_TRUE(c.peer.ReceiveAll(echoed, sizeof echoed, 5000));
    EXPECT_EQ(std::string(echoed, sizeof echoed), std::string(request, sizeof request));
}

TEST(TcpClientData, MoreThanOneReadsWorthArrivesOverSeveralReads) {
    Connected c;
    c.harness.readChunk = 1000;  // set while nothing is readable yet
    const std::string block(50000, 'k');
    ASSERT_TRUE(c.peer.SendText(block));
    ASSERT_TRUE(c.harness.WaitForReceived(block.size()));
    EXPECT_EQ(c.harness.Received(), block);
    EXPECT_GE(c.harness.Count(N::Read), 50u);
}

TEST(TcpClientData, HandlerThatReadsNothingIsNotCalledAgainBeforeNewBytes) {
    Listener listener;
    ClientHarness harness;
    harness.readInHandler = false;
    ASSERT_TRUE(harness.client->Open("127.0.0.1", listener.Port()));
    Peer peer = listener.Accept(5000);
    ASSERT_TRUE(harness.WaitFor(N::Connected));

    ASSERT_TRUE(peer.SendText("abc"));
    ASSERT_TRUE(harness.WaitFor(N::Read, 1));
    EXPECT_FALSE(harness.WaitFor(N::Read, 2, 300));  // no busy repetition
    ASSERT_TRUE(peer.SendText("def"));
    ASSERT_TRUE(harness.WaitFor(N::Read, 2));
    EXPECT_EQ(harness.Count(N::Read), 2u);
    EXPECT_EQ(harness.client->ReceiveLength(), 6);
    char all[6];
    EXPECT_EQ(harness.client->ReceiveBuf(all, 6), 6);
    EXPECT_EQ(std::string(all, 6), "abcdef");
}

TEST(TcpClientClose, PeerCloseDeliversTheLastBytesThenDisconnected) {
    Connected c;
    ASSERT_TRUE(c.peer.SendText("bye"));
    c.peer.Close();
    ASSERT_TRUE(c.harness.WaitFor(N::Disconnected));
    EXPECT_EQ(c.harness.Received(), "bye");
    const auto kinds = c.harness.Kinds();
    EXPECT_EQ(kinds.back(), N::Disconnected);
    EXPECT_EQ(c.harness.Count(N::Disconnected), 1u);
    EXPECT_EQ(c.harness.Count(N::Error), 0u);
    EXPECT_FALSE(c.harness.client->Active());
    EXPECT_EQ(c.harness.client->SendBuf("x", 1), -1);
}

TEST(TcpClientClose, PeerResetDeliversErrorThenDisconnected) {
    Connected c;
    c.peer.Reset();
    ASSERT_TRUE(c.harness.WaitFor(N::Disconnected));
    const auto notes = c.harness.Notes();
    ASSERT_GE(notes.size(), 2u);
    EXPECT_EQ(notes[notes.size() - 2].what, N::Error);
    EXPECT_EQ(notes[notes.size() - 2].error, ECONNRESET);
    EXPECT_FALSE(c.harness.client->Active());
}

TEST(TcpClientClose, CloseRaisesDisconnectedOnTheCallerBeforeItReturns) {
    Connected c;
    c.harness.client->Close();
    const auto notes = c.harness.Notes();
    ASSERT_EQ(notes.back().what, N::Disconnected);
    EXPECT_EQ(notes.back().thread, std::this_thread::get_id());
    EXPECT_FALSE(c.harness.client->Active());
    c.harness.client->Close();  // closed already: nothing more
    EXPECT_EQ(c.harness.Count(N::Disconnected), 1u);
    char byte = 0;
    EXPECT_FALSE(c.peer.ReceiveAll(&byte, 1, 5000));  // the peer sees the close
}

TEST(TcpClientClose, DestructorOfAConnectedClientRaisesNothing) {
    Connected c;
    const std::size_t before = c.harness.Notes().size();
    c.harness.DestroyClient();
    EXPECT_EQ(c.harness.Notes().size(), before);
}

TEST(TcpClientSend, FailingSendRaisesErrorThenDisconnectedInsideSendBuf) {
    Connected c;
    Event handlerHolds(false);
    Event peerReset(false);
    std::atomic<int> lastSend{0};
    std::atomic<std::size_t> notesWhenSendReturned{0};
    Event sendDone(false);
    // Inside a Read the notification thread is busy, so only the send can find the reset.
    c.harness.action = [&](ClientHarness& h, N what) {
        if (what != N::Read || h.Count(N::Read) != 1) return;
        handlerHolds.Set();
        peerReset.Wait(5000);
        const std::uint64_t end = platform::SteadyMilliseconds() + 5000;
        int sent = 0;
        while (sent >= 0 && platform::SteadyMilliseconds() < end) sent = h.client->SendBuf("ping", 4);
        notesWhenSendReturned = h.Notes().size();
        lastSend = sent;
        sendDone.Set();
    };
    ASSERT_TRUE(c.peer.SendText("go"));
    ASSERT_EQ(handlerHolds.Wait(5000), WaitResult::Signaled);
    c.peer.Reset();
    peerReset.Set();
    ASSERT_EQ(sendDone.Wait(10000), WaitResult::Signaled);

    EXPECT_EQ(lastSend.load(), -1);
    const auto notes = c.harness.Notes();
    ASSERT_EQ(notesWhenSendReturned.load(), notes.size());  // both raised before SendBuf returned
    EXPECT_EQ(notes[notes.size() - 2].what, N::Error);
    EXPECT_EQ(notes.back().what, N::Disconnected);
    EXPECT_EQ(c.harness.Count(N::Error), 1u);
    EXPECT_FALSE(c.harness.client->Active());
}

TEST(TcpClientSend, SendWithoutConnectionFails) {
    ClientHarness harness;
    EXPECT_EQ(harness.client->SendBuf("x", 1), -1);
    EXPECT_EQ(harness.client->ReceiveLength(), 0);
    char byte;
    EXPECT_EQ(harness.client->ReceiveBuf(&byte, 1), -1);
    EXPECT_TRUE(harness.Notes().empty());
}

// A thread that waits for bytes takes them itself, one delivery of the client at a
// time; whatever it does not wait for goes to the notification thread, once and in order.
// An event that nothing sets: the waits below end on bytes, time or an interrupt.
Event idle{false};

TEST(TcpClientOwnReceive, BytesComeOnceAndInOrderWhicheverThreadTakesThem) {
    Connected c;
    EXPECT_NE(c.harness.client->ReceiveOnThisThread(20, idle), platform::OwnReceive::Delivered) << "nothing was sent";
    std::string sent;
    std::atomic<int> ownDeliveries{0};
    for (int i = 0; i < 300 && (ownDeliveries < 3 || i < 20); ++i) {
        const std::string piece = std::to_string(i) + ",";
        sent += piece;
        std::atomic<bool> waiting{false};
        // The waiter is usually inside its wait when the bytes come; when the
        // notification thread is quicker, the waiter finds them gone.
        std::thread waiter([&] {
            waiting = true;
            while (c.harness.Received().size() < sent.size()) {
                if (c.harness.client->ReceiveOnThisThread(50, idle) == platform::OwnReceive::Delivered) ++ownDeliveries;
            }
        });
        while (!waiting) std::this_thread::yield();
        std::this_thread::yield();
        ASSERT_TRUE(c.peer.SendText(piece));
        waiter.join();
    }
    EXPECT_GT(ownDeliveries.load(), 0);
    EXPECT_EQ(c.harness.Received(), sent);
    const auto notes = c.harness.Notes();
    const std::thread::id loopThread = notes[2].thread;  // that of Connected
    int readsOffTheLoop = 0;
    for (const Note& n : notes) {
        if (n.what != N::Read) continue;
        EXPECT_TRUE(n.inNotification);
        if (n.thread != loopThread) ++readsOffTheLoop;
    }
    EXPECT_EQ(readsOffTheLoop, ownDeliveries.load());
}

TEST(TcpClientOwnReceive, ACloseGoesToTheNotificationThreadAfterTheLastBytes) {
    Connected c;
    std::atomic<int> result{-1};
    std::thread waiter([&] { result = static_cast<int>(c.harness.client->ReceiveOnThisThread(5000, idle)); });
    ASSERT_TRUE(c.peer.SendText("bye"));
    c.peer.Close();
    ASSERT_TRUE(c.harness.WaitFor(N::Disconnected));
    waiter.join();
    EXPECT_EQ(c.harness.Received(), "bye");
    EXPECT_EQ(c.harness.Kinds().back(), N::Disconnected);
    EXPECT_EQ(c.harness.Count(N::Disconnected), 1u);
    EXPECT_EQ(c.harness.client->ReceiveOnThisThread(1000, idle), platform::OwnReceive::NotHere) << "no socket";
}

// What the waiter waits for may have been set by a delivery on the notification thread
// that ended just before the waiter took the socket: it must not wait for bytes then.
TEST(TcpClientOwnReceive, AnEventSetByAnotherDeliveryEndsTheWaitAtOnce) {
    Connected c;
    Event done{true};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(c.harness.client->ReceiveOnThisThread(60000, done), platform::OwnReceive::Done);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(done.Wait(0), WaitResult::Timeout) << "taken";
    ASSERT_TRUE(c.peer.SendText("next"));
    ASSERT_TRUE(c.harness.WaitForReceived(4)) << "the notification thread still takes what comes";
}

TEST(TcpClientOwnReceive, InterruptEndsAWaitAtOnceAndRefusesTheNext) {
    Connected c;
    std::atomic<int> result{-1};
    std::thread waiter([&] { result = static_cast<int>(c.harness.client->ReceiveOnThisThread(60000, idle)); });
    const auto start = std::chrono::steady_clock::now();
    c.harness.client->InterruptReceivers();
    waiter.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_NE(result.load(), static_cast<int>(platform::OwnReceive::Delivered));
    EXPECT_EQ(c.harness.client->ReceiveOnThisThread(1000, idle), platform::OwnReceive::NotHere);
    ASSERT_TRUE(c.peer.SendText("later"));
    ASSERT_TRUE(c.harness.WaitForReceived(5)) << "the notification thread takes the bytes";
}

TEST(TcpClientLifetime, ClientDestroyedInsideItsOwnReadIsNeverTouchedAgain) {
    Connected c;
    c.harness.action = [](ClientHarness& h, N what) {
        if (what == N::Read) h.client.reset();
    };
    ASSERT_TRUE(c.peer.SendText("x"));
    ASSERT_TRUE(c.harness.WaitFor(N::Read));
    EXPECT_EQ(c.harness.client, nullptr);
    ASSERT_TRUE(c.peer.SendText("more"));
    c.peer.Close();
    // A fresh client's whole life passes through the same loop after the dead one's events.
    ClientHarness later;
    ASSERT_TRUE(later.client->Open("127.0.0.1", c.listener.Port()));
    Peer second = c.listener.Accept(5000);
    ASSERT_TRUE(later.WaitFor(N::Connected));
    EXPECT_EQ(c.harness.Count(N::Read), 1u);
    EXPECT_EQ(c.harness.Count(N::Disconnected), 0u);
}

TEST(TcpClientLifetime, ClientDestroyedInsideItsConnectedAndInsideCloseIsSafe) {
    {
        Listener listener;
        ClientHarness harness;
        harness.action = [](ClientHarness& h, N what) {
            if (what == N::Connected) h.client.reset();
        };
        ASSERT_TRUE(harness.client->Open("127.0.0.1", listener.Port()));
        Peer peer = listener.Accept(5000);
        ASSERT_TRUE(harness.WaitFor(N::Connected));
    }
    {
        Connected c;
        platform::TcpClient* raw = c.harness.client.get();
        c.harness.action = [](ClientHarness& h, N what) {
            if (what == N::Disconnected) h.client.reset();
        };
        raw->Close();  // its Disconnected destroys it before Close returns
        EXPECT_EQ(c.harness.client, nullptr);
    }
}

TEST(TcpClientLifetime, CloseInsideItsOwnReadRaisesDisconnectedThere) {
    Connected c;
    c.harness.action = [](ClientHarness& h, N what) {
        if (what == N::Read) h.client->Close();
    };
    ASSERT_TRUE(c.peer.SendText("x"));
    ASSERT_TRUE(c.harness.WaitFor(N::Disconnected));
    const auto notes = c.harness.Notes();
    EXPECT_EQ(notes.back().what, N::Disconnected);
    EXPECT_EQ(notes.back().thread, notes[notes.size() - 2].thread);
    EXPECT_EQ(c.harness.Count(N::Disconnected), 1u);
}

TEST(TcpClientLifetime, DestructorOnAnotherThreadWaitsForTheNotificationUnderWay) {
    Connected c;
    Event entered(false);
    Event release(false);
    std::atomic<bool> handlerDone{false};
    c.harness.action = [&](ClientHarness&, N what) {
        if (what != N::Read) return;
        entered.Set();
        release.Wait(10000);
        handlerDone = true;
    };
    ASSERT_TRUE(c.peer.SendText("slow"));
    ASSERT_EQ(entered.Wait(5000), WaitResult::Signaled);

    Event destroyed(false);
    std::atomic<bool> doneWhenDestroyed{false};
    std::thread destroyer([&] {
        c.harness.DestroyClient();
        doneWhenDestroyed = handlerDone.load();
        destroyed.Set();
    });
    EXPECT_EQ(destroyed.Wait(300), WaitResult::Timeout);
    release.Set();
    EXPECT_EQ(destroyed.Wait(10000), WaitResult::Signaled);
    destroyer.join();
    EXPECT_TRUE(doneWhenDestroyed.load());
    EXPECT_EQ(c.harness.Count(N::Disconnected), 0u);
}

TEST(TcpClientLifetime, ManyClientsComeAndGoWhileDataFlows) {
    Listener listener;
    for (int round = 0; round < 20; ++round) {
        ClientHarness a;
        ClientHarness b;
        ASSERT_TRUE(a.client->Open("127.0.0.1", listener.Port()));
        Peer pa = listener.Accept(5000);
        ASSERT_TRUE(b.client->Open("127.0.0.1", listener.Port()));
        Peer pb = listener.Accept(5000);
        ASSERT_TRUE(a.WaitFor(N::Connected));
        ASSERT_TRUE(b.WaitFor(N::Connected));
        ASSERT_TRUE(pa.SendText("a"));
        ASSERT_TRUE(pb.SendText("b"));
        ASSERT_TRUE(a.WaitForReceived(1));
        ASSERT_TRUE(b.WaitForReceived(1));
        pa.SendText("unread");  // may still be under way while the client goes
    }
}

}  // namespace
}  // namespace kravent::testing
