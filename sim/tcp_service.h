// The module's main port: accepts connections (at most kMaxConnections at a
// time; more are closed at once) and serves each on a thread of its own.
// The answers to the frames of one received piece of the stream go out in one
// send, so a read request and a write request sent together get one answer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "sim/activity_log.h"
#include "sim/faults.h"
#include "sim/frame_trace.h"
#include "sim/module_logic.h"
#include "sim/register_store.h"
#include "sim/socket_util.h"

namespace kravent::sim {

class TcpService {
public:
    static constexpr std::size_t kMaxConnections = 16;

    TcpService(ModuleLogic& logic, RegisterStore& store, Faults& faults, ActivityLog& log)
        : logic_(logic), store_(store), faults_(faults), log_(log) {}
    ~TcpService() { Stop(); }
    TcpService(const TcpService&) = delete;
    TcpService& operator=(const TcpService&) = delete;

    // Listens on address:port and starts accepting; false with `error` when the
    // socket cannot be bound. Returns once the socket listens.
    bool Start(const std::string& address, std::uint16_t port, std::string& error);
    // Closes every connection and joins every thread.
    void Stop();
    // Listens on a new address from now on (same port); open connections stay.
    bool Rebind(const std::string& address, std::string& error);
    std::uint16_t port() const { return port_; }
    // Traces every frame as module `module` (before Start; null: no trace).
    void SetTrace(FrameTrace* trace, int module) {
        trace_ = trace;
        module_ = module;
    }

private:
    struct Connection {
        std::mutex fdMutex;  // Stop shuts the socket down while its thread may be closing it
        SocketHandle fd = kNoSocket;
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void AcceptLoop();
    void Accept();
    void Serve(Connection& connection, int id);
    void ReapFinished();
    void SetOpenConnections(std::size_t count);
    bool SendAnswer(SocketHandle fd, const Endpoint& peer, const std::uint8_t* data, std::size_t size);

    ModuleLogic& logic_;
    RegisterStore& store_;
    Faults& faults_;
    ActivityLog& log_;
    FrameTrace* trace_ = nullptr;
    int module_ = 0;

    WakeSignal stop_;
    WakeSignal rebind_;
    SocketHandle listener_ = kNoSocket;
    std::uint16_t port_ = 0;
    std::thread acceptor_;
    std::list<Connection> connections_;  // owned by the acceptor thread while it runs
    int nextId_ = 1;
    std::atomic<std::size_t> open_{0};

    std::mutex rebindMutex_;
    std::condition_variable rebindDone_;
    std::optional<std::string> rebindAddress_;
    std::optional<std::string> rebindError_;
};

}  // namespace kravent::sim
