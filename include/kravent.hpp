// kravent.hpp: the C++ interface of Vorn-KRAVENT_DLLInterface (C++17 and later,
// header-only over the C functions of Vorn-KRAVENT_DLLInterface.h).
//
//     kravent::Module module{"10.0.0.5"};                   // waits for the connection
//     float volts = module.read<kravent::VOLTAGE>();
//     auto [position, speed] = module.read<kravent::POSITION, kravent::SPEED>();
//     module.write<kravent::KP, kravent::KI>(1.5f, 0.1f);    // one exchange
//     module.poll({kravent::POSITION}, std::chrono::milliseconds{10},
//                 [](const kravent::Sample& s) { use(s.seq, s.time, s.get<kravent::POSITION>()); });
//
// Every register is a constant of its own, typed by its value (float for the 16.16
// registers, std::int32_t, Halves, Bits, Address, Mac, std::string, HomingOptions):
// a misspelt register, a read of a write-only one or a poll of one that cannot be
// polled does not compile. Failures throw kravent::Error (a std::runtime_error) or one
// of its kinds; each call also has a try_ form that reports through a Status instead,
// and only those are compiled when the host is built without exceptions.
//
// Callbacks (poll, on_state) run on the library's threads, one at a time (on_state on the
// module's own thread when it reconnects); they must not wait for an answer of any
// module, nor for a thread that is opening or closing one (a callback holds the table
// through which the library's notifications find their module). The blocking calls need
// the library's notifications to arrive on a thread of their own, as they do on Linux.
#pragma once

#include "Vorn-KRAVENT_DLLInterface.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bitset>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#if __has_include(<dlfcn.h>) && __has_include(<unistd.h>)
#include <dlfcn.h>
#include <unistd.h>
#define KRAVENT_HPP_HAS_DLADDR 1
#endif

#if defined(__cpp_exceptions) || defined(__EXCEPTIONS) || defined(_CPPUNWIND)
#define KRAVENT_HPP_EXCEPTIONS 1
#endif

// The module's registers: name, value kind, read access (none, read, poll: also in the
// polled set) and write access (none, value, command, reset). The same list as the C
// functions; a test holds it against the library's register table.
#define KRAVENT_REGISTERS(X)                          \
    X(TYPE, Halves, read, none)                       \
    X(VERSION, Halves, read, none)                    \
    X(RESETCPU, Command, none, command)               \
    X(SAVEUSERPARAMETERS, Command, none, command)     \
    X(RESTOREUSERPARAMETERS, Command, none, command)  \
    X(RESTOREFACTORYPARAMETERS, Command, none, command) \
    X(SAVEFACTORYPARAMETERS, Command, none, command)  \
    X(VOLTAGE, Fixed, poll, none)                     \
    X(WARNINGS, Bits, poll, reset)                    \
    X(COMMUNICATIONOPTIONS, Bits, read, value)        \
    X(ETHERNETMAC, Mac, read, none)                   \
    X(IPADDRESS, Address, read, value)                \
    X(SUBNETMASK, Address, read, value)               \
    X(TCPTIMEOUT, Int, read, value)                   \
    X(MODULENAME, Text, read, value)                  \
    X(TCPCONNECTIONSOPENED, Int, read, none)          \
    X(REGULATIONMODE, Int, poll, value)               \
    X(INPUT, Int, poll, value)                        \
    X(INPUTOFFSET, Int, none, value)                  \
    X(INPUTOFFSETMEASURED, Int, none, value)          \
    X(INPUTMIN, Int, read, value)                     \
    X(INPUTMAX, Int, read, value)                     \
    X(POSITION, Int, poll, value)                     \
    X(POSITIONOFFSET, Int, none, value)               \
    X(SPEED, Int, poll, none)                         \
    X(CURRENTMAX, Fixed, read, value)                 \
    X(OPTIONS, Bits, read, value)                     \
    X(LOOPTIME, Int, read, value)                     \
    X(OUPUTVOLTAGEMAX, Fixed, read, value)            \
    X(DESIRED, Int, poll, none)                       \
    X(FEEDBACK, Int, poll, none)                      \
    X(COMMAND, Int, poll, none)                       \
    X(KP, Fixed, read, value)                         \
    X(KI, Fixed, read, value)                         \
    X(KD, Fixed, read, value)                         \
    X(ANTIRESETWINDUP, Int, read, value)              \
    X(INTEGRALDELTA, Int, poll, value)                \
    X(DERIVATIONOFDELTA, Int, poll, none)             \
    X(ACCELERATION, Int, read, value)                 \
    X(DECELERATION, Int, read, value)                 \
    X(TOPSPEED, Int, read, value)                     \
    X(DEADZONE, Int, read, value)                     \
    X(HOMINGOPTIONS, Homing, read, value)             \
    X(HOMING, Command, none, command)                 \
    X(STOPHOMING, Command, none, command)             \
    X(HOMINGPOSITION, Int, read, value)               \
    X(HOMINGINPUT, Int, read, value)                  \
    X(LIMIT1SETUP, Int, read, value)                  \
    X(LIMIT1REGULATIONMODE, Int, read, value)         \
    X(LIMIT1POSITION, Int, read, value)               \
    X(LIMIT1XINPUT, Int, read, value)                 \
    X(LIMIT2SETUP, Int, read, value)                  \
    X(LIMIT2REGULATIONMODE, Int, read, value)         \
    X(LIMIT2POSITION, Int, read, value)               \
    X(LIMIT2XINPUT, Int, read, value)

namespace kravent {

// -- values --------------------------------------------------------------------------

struct Halves {  // TYPE and VERSION: "high.low"
    std::int32_t high = 0;
    std::int32_t low = 0;
    friend bool operator==(const Halves& a, const Halves& b) { return a.high == b.high && a.low == b.low; }
    friend bool operator!=(const Halves& a, const Halves& b) { return !(a == b); }
    std::string text() const { return std::to_string(high) + "." + std::to_string(low); }
};
using Bits = std::bitset<32>;                   // WARNINGS, COMMUNICATIONOPTIONS, OPTIONS: bit i
using Address = std::array<std::int32_t, 4>;    // IPADDRESS, SUBNETMASK, first part first
using Mac = std::array<std::int32_t, 6>;        // ETHERNETMAC
struct HomingOptions {
    std::int32_t nibble0 = 0;
    bool bit7 = false;
    std::int32_t nibble2 = 0, nibble3 = 0, nibble4 = 0, nibble5 = 0;
    friend bool operator==(const HomingOptions& a, const HomingOptions& b) {
        return a.nibble0 == b.nibble0 && a.bit7 == b.bit7 && a.nibble2 == b.nibble2 && a.nibble3 == b.nibble3 &&
               a.nibble4 == b.nibble4 && a.nibble5 == b.nibble5;
    }
};
struct Command {};  // the value of a command: none

enum class WriteAccess { none, value, command, reset };

// The state of a module's link, reported on every change.
enum class LinkState { connected, lost, retrying, back };

inline const char* to_string(LinkState state) {
    switch (state) {
        case LinkState::connected: return "connected";
        case LinkState::lost: return "lost";
        case LinkState::retrying: return "retrying";
        case LinkState::back: return "back";
    }
    return "?";
}

// -- failures ------------------------------------------------------------------------

enum class Errc { none, failed, connection, lost, timeout };

// What a call did: ok, or why not, with the library's last-error text and what its error
// log recorded before it for the same module (why a module test failed, for example).
struct Status {
    Errc code = Errc::none;
    std::string message;
    std::string last_error;
    std::string cause;

    explicit operator bool() const { return code == Errc::none; }
    std::string what() const {
        std::string text = message;
        if (!last_error.empty() && last_error != "No Error") text += ": " + last_error;
        if (!cause.empty()) text += " (cause: " + cause + ")";
        std::replace(text.begin(), text.end(), '\t', ' ');
        return text;
    }
};

#ifdef KRAVENT_HPP_EXCEPTIONS
class Error : public std::runtime_error {
public:
    explicit Error(Status status) : std::runtime_error(status.what()), status_(std::move(status)) {}
    const std::string& last_error() const { return status_.last_error; }
    const std::string& cause() const { return status_.cause; }
    Errc code() const { return status_.code; }

private:
    Status status_;
};
class ConnectionError : public Error {  // an open failed, or the connection is gone
public:
    using Error::Error;
};
class ConnectionLost : public ConnectionError {  // a request met a lost link: never sent again by itself
public:
    using ConnectionError::ConnectionError;
};
class TimeoutError : public Error {
public:
    using Error::Error;
};

[[noreturn]] inline void raise(Status status) {
    switch (status.code) {
        case Errc::connection: throw ConnectionError(std::move(status));
        case Errc::lost: throw ConnectionLost(std::move(status));
        case Errc::timeout: throw TimeoutError(std::move(status));
        default: throw Error(std::move(status));
    }
}
#endif

namespace detail {

template <const auto& R>
using reg_t = std::decay_t<decltype(R)>;  // the register type of a register constant

inline std::string library_text(void (*get)(char*, std::int32_t*)) {
    char buffer[1024];
    std::int32_t length = static_cast<std::int32_t>(sizeof buffer);
    get(buffer, &length);
    return std::string(buffer, static_cast<std::size_t>(std::clamp<std::int32_t>(length, 0, 1024)));
}

// Where the library appends its error log (VORN_KRAVENT_LOG_DIR, else beside the library
// when writable, else the user's state directory); empty when it cannot be told.
inline std::string log_path() {
    const std::string file = "Error_Vorn-KRAVENT_DLLInterface.log";
    if (const char* chosen = std::getenv("VORN_KRAVENT_LOG_DIR"); chosen && *chosen) return std::string(chosen) + "/" + file;
#ifdef KRAVENT_HPP_HAS_DLADDR
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&Vorn_KRAVENT_VersionDLL), &info) && info.dli_fname) {
        std::string directory = info.dli_fname;
        directory = directory.substr(0, directory.find_last_of('/') + 1);
        if (access(directory.empty() ? "." : directory.c_str(), W_OK) == 0) return directory + file;
    }
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/') return std::string(state) + "/Vorn-KRAVENT_DLLInterface/" + file;
    if (const char* home = std::getenv("HOME")) return std::string(home) + "/.local/state/Vorn-KRAVENT_DLLInterface/" + file;
#endif
    return {};
}

// The log's records for one address written after a point, to tell why a call failed.
class LogWatch {
public:
    LogWatch() : path_(log_path()), start_(size()) {}
    std::string cause(const std::string& ip, const std::string& last_error) const {
        std::ifstream in(path_, std::ios::binary);
        if (!in) return {};
        in.seekg(static_cast<std::streamoff>(start_));
        const std::string added((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string found;
        for (std::size_t at = 0; at < added.size();) {
            const std::size_t end = std::min(added.find("\r\n\r\n", at), added.size());
            const std::string record = added.substr(at, end - at);
            at = end + 4;
            std::size_t field = 0;  // date, time, address, then the message
            for (int tabs = 0; tabs < 2 && field != std::string::npos; ++tabs) field = record.find('\t', field) + 1;
            const std::size_t address_end = field == 0 ? std::string::npos : record.find('\t', field);
            if (address_end == std::string::npos) continue;
            std::string address = record.substr(field, address_end - field);
            address.erase(address.find_last_not_of(' ') + 1);
            const std::string message = record.substr(address_end + 1);
            if (address != ip || message == last_error) continue;
            found += (found.empty() ? "" : "; ") + message;
        }
        return found;
    }

private:
    std::size_t size() const {
        std::ifstream in(path_, std::ios::binary | std::ios::ate);
        return in ? static_cast<std::size_t>(in.tellg()) : 0;
    }
    std::string path_;
    std::size_t start_;
};

inline Status failure(Errc code, std::string message, const std::string& ip = {}, const LogWatch* watch = nullptr) {
    Status status{code, std::move(message), library_text(&Vorn_KRAVENT_GetLastError), {}};
    if (watch) status.cause = watch->cause(ip, status.last_error);
    return status;
}

// The value kinds: the C++ type, how a received record holds it, how a write passes it.
using Halves_type = Halves;
using Fixed_type = float;
using Int_type = std::int32_t;
using Bits_type = Bits;
using Address_type = Address;
using Mac_type = Mac;
using Text_type = std::string;
using Homing_type = HomingOptions;
using Command_type = Command;

// 8-bit text of a fixed field, up to its first zero byte if it has one.
template <std::size_t N>
std::string text_of(const char (&field)[N]) {
    return std::string(field, static_cast<std::size_t>(std::find(field, field + N, '\0') - field));
}

inline Bits bits_of(const bool (&flags)[32]) {
    Bits b;
    for (std::size_t i = 0; i < 32; ++i) b[i] = flags[i];
    return b;
}
template <std::size_t N>
std::array<std::int32_t, N> array_of(const std::int32_t (&bytes)[N]) {
    std::array<std::int32_t, N> a{};
    std::copy(bytes, bytes + N, a.begin());
    return a;
}
template <class Function>
bool put_bits(Function write, const Bits& b, ComID com) {
    std::uint8_t flags[32];
    for (std::size_t i = 0; i < 32; ++i) flags[i] = static_cast<std::uint8_t>(b[i]);
    return write(flags, com);
}

constexpr bool none_readable = false, read_readable = true, poll_readable = true;
constexpr bool none_pollable = false, read_pollable = false, poll_pollable = true;

}  // namespace detail

#define KRAVENT_DETAIL_VALUE_Halves(N, v) Halves{v.N##_ValueHigh, v.N##_ValueLow}
#define KRAVENT_DETAIL_VALUE_Fixed(N, v) v.N##_Value
#define KRAVENT_DETAIL_VALUE_Int(N, v) v.N##_Value
#define KRAVENT_DETAIL_VALUE_Bits(N, v) ::kravent::detail::bits_of(v.N##_Bits)
#define KRAVENT_DETAIL_VALUE_Address(N, v) ::kravent::detail::array_of(v.N##_Bytes)
#define KRAVENT_DETAIL_VALUE_Mac(N, v) ::kravent::detail::array_of(v.N##_Bytes)
#define KRAVENT_DETAIL_VALUE_Text(N, v) ::kravent::detail::text_of(v.N##_Text)
#define KRAVENT_DETAIL_VALUE_Homing(N, v)                                                                  \
    HomingOptions{v.N##_HomingNibble0, v.N##_HomingBit7, v.N##_HomingNibble2, v.N##_HomingNibble3, \
                  v.N##_HomingNibble4, v.N##_HomingNibble5}

#define KRAVENT_DETAIL_PUT_Fixed(N, x, com) Vorn_KRAVENT_Write_##N(x, com)
#define KRAVENT_DETAIL_PUT_Int(N, x, com) Vorn_KRAVENT_Write_##N(x, com)
#define KRAVENT_DETAIL_PUT_Bits(N, x, com) ::kravent::detail::put_bits(&Vorn_KRAVENT_Write_##N, x, com)
#define KRAVENT_DETAIL_PUT_Address(N, x, com) Vorn_KRAVENT_Write_##N(x.data(), com)
#define KRAVENT_DETAIL_PUT_Text(N, x, com) Vorn_KRAVENT_Write_##N(x.c_str(), com)
#define KRAVENT_DETAIL_PUT_Homing(N, x, com) \
    Vorn_KRAVENT_Write_##N(x.nibble0, x.bit7, x.nibble2, x.nibble3, x.nibble4, x.nibble5, com)

#define KRAVENT_DETAIL_ASK_none(N, com, repetitive) false
#define KRAVENT_DETAIL_ASK_read(N, com, repetitive) Vorn_KRAVENT_Read_##N(com)
#define KRAVENT_DETAIL_ASK_poll(N, com, repetitive) Vorn_KRAVENT_Read_##N(repetitive, com)
#define KRAVENT_DETAIL_RECEIVED_none(N, v) false
#define KRAVENT_DETAIL_RECEIVED_read(N, v) v.N##_Received
#define KRAVENT_DETAIL_RECEIVED_poll(N, v) v.N##_Received
#define KRAVENT_DETAIL_GET_none(K, N, v) type{}
#define KRAVENT_DETAIL_GET_read(K, N, v) KRAVENT_DETAIL_VALUE_##K(N, v)
#define KRAVENT_DETAIL_GET_poll(K, N, v) KRAVENT_DETAIL_VALUE_##K(N, v)
#define KRAVENT_DETAIL_SET_none(K, N, x, com) false
#define KRAVENT_DETAIL_SET_value(K, N, x, com) KRAVENT_DETAIL_PUT_##K(N, x, com)
#define KRAVENT_DETAIL_SET_command(K, N, x, com) Vorn_KRAVENT_Write_##N(com)
#define KRAVENT_DETAIL_SET_reset(K, N, x, com) Vorn_KRAVENT_Reset_##N(com)
#define KRAVENT_DETAIL_WRITTEN_none(N, v) false
#define KRAVENT_DETAIL_WRITTEN_value(N, v) v.N##_Written
#define KRAVENT_DETAIL_WRITTEN_command(N, v) v.N##_Written
#define KRAVENT_DETAIL_WRITTEN_reset(N, v) v.N##_Written

// A register that may join a poll: what kravent::POSITION and the others convert to.
struct PollRegister {
    const char* name;
    bool (*ask)(ComID, bool);
    bool (*received)(const RegisterValues&);
};

#define KRAVENT_DETAIL_REGISTER(N, K, R, W)                                                                   \
    struct N##_register {                                                                                    \
        using type = detail::K##_type;                                                                       \
        static constexpr const char* name = #N;                                                              \
        static constexpr bool readable = detail::R##_readable;                                               \
        static constexpr bool pollable = detail::R##_pollable;                                               \
        static constexpr WriteAccess write = WriteAccess::W;                                                             \
        static bool ask(ComID com, bool repetitive) {                                                        \
            (void)com, (void)repetitive;                                                                     \
            return KRAVENT_DETAIL_ASK_##R(N, com, repetitive);                                               \
        }                                                                                                    \
        static bool received(const RegisterValues& v) { return (void)v, KRAVENT_DETAIL_RECEIVED_##R(N, v); } \
        static type value(const RegisterValues& v) { return (void)v, KRAVENT_DETAIL_GET_##R(K, N, v); }      \
        static bool put(const type& x, ComID com) {                                                          \
            (void)x, (void)com;                                                                              \
            return KRAVENT_DETAIL_SET_##W(K, N, x, com);                                                     \
        }                                                                                                    \
        static bool written(const RegisterValues& v) { return (void)v, KRAVENT_DETAIL_WRITTEN_##W(N, v); }   \
        template <bool P = pollable, std::enable_if_t<P, int> = 0>                                           \
        constexpr operator PollRegister() const { return {name, &ask, &received}; }                          \
    };                                                                                                       \
    inline constexpr N##_register N{};

KRAVENT_REGISTERS(KRAVENT_DETAIL_REGISTER)

// One answer of a poll: seq counts the module's poll answers from 1 (across reconnects),
// time is its arrival. A period without an answer shows as a step of several periods in
// time between consecutive seq.
struct Sample {
    std::uint64_t seq = 0;
    std::chrono::steady_clock::time_point time{};
    RegisterValues values{};

    template <const auto& R>
    std::optional<typename detail::reg_t<R>::type> get() const {
        using Reg = detail::reg_t<R>;
        static_assert(Reg::readable, "this register cannot be read");
        if (!Reg::received(values)) return std::nullopt;
        return Reg::value(values);
    }
};

struct ModuleInfo {  // one module that answered a scan
    Mac mac{};
    Address ip{};  // the address the answer came from
    Halves type, version;
    std::string name;
};

struct Options {
    std::chrono::milliseconds timeout{5000};  // for the connection and for each answer
    // Reopen a link that the module closed or the network broke, after reconnect_delay,
    // then twice as long each time up to reconnect_delay_max; the poll resumes by itself.
    bool reconnect = false;
    std::chrono::milliseconds reconnect_delay{100};
    std::chrono::milliseconds reconnect_delay_max{5000};
    std::function<void(LinkState)> on_state;  // every change of the link's state
};

namespace detail {

inline std::string ip_text(const Address& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." + std::to_string(a[3]);
}

inline std::optional<Address> parse_ip(std::string_view text) {
    Address a{};
    std::size_t part = 0;
    std::int32_t value = -1;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > 255) return std::nullopt;
        } else if (c == '.' && value >= 0 && part < 3) {
            a[part++] = value;
            value = -1;
        } else {
            return std::nullopt;
        }
    }
    if (part != 3 || value < 0) return std::nullopt;
    a[3] = value;
    return a;
}

class Link;

// The library's callbacks carry no user pointer, so each open module takes one of a
// fixed set of callback pairs, each pair bound to its own slot of this table.
class Slots {
public:
    static constexpr std::size_t kCount = 64;  // modules open at once in one process

    static Slots& all() {
        static Slots slots;
        return slots;
    }
    // A free slot for `link`; kCount when all are taken.
    std::size_t take(Link* link) {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        const auto free = std::find(links_.begin(), links_.end(), nullptr);
        if (free == links_.end()) return kCount;
        *free = link;
        return static_cast<std::size_t>(free - links_.begin());
    }
    void release(std::size_t slot) {
        std::lock_guard<std::recursive_mutex> lock(mutex_);  // waits for a callback under way
        if (slot < kCount) links_[slot] = nullptr;
    }
    static Data_Received_MAINPORT_Callback data_callback(std::size_t slot) {
        return data_table(std::make_index_sequence<kCount>{})[slot];
    }
    static Com_Event_Callback event_callback(std::size_t slot) {
        return event_table(std::make_index_sequence<kCount>{})[slot];
    }

private:
    template <class F>
    void with(std::size_t slot, F f) {
        std::lock_guard<std::recursive_mutex> lock(mutex_);  // recursive: a callback may close a module
        if (Link* link = links_[slot]) f(*link);
    }
    template <std::size_t I>
    static void VORN_KRAVENT_CALL on_data(RegisterValues* values, ComID com);
    template <std::size_t I>
    static void VORN_KRAVENT_CALL on_event(std::int32_t code, ComID com);
    template <std::size_t... I>
    static std::array<Data_Received_MAINPORT_Callback, kCount> data_table(std::index_sequence<I...>) {
        return {{&on_data<I>...}};
    }
    template <std::size_t... I>
    static std::array<Com_Event_Callback, kCount> event_table(std::index_sequence<I...>) {
        return {{&on_event<I>...}};
    }

    std::recursive_mutex mutex_;
    std::array<Link*, kCount> links_{};
};

class Link {
public:
    Link(const Address& address, Options options)
        : address_(address), ip_(ip_text(address)), options_(std::move(options)), slot_(Slots::all().take(this)) {}
    ~Link() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
            changed_.notify_all();
        }
        if (keeper_.joinable()) keeper_.join();
        std::lock_guard<std::mutex> handle(handle_);
        close_handle();
        Slots::all().release(slot_);
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    const std::string& ip() const { return ip_; }
    LinkState state() const { return state_.load(); }
    const Options& options() const { return options_; }

    Status connect() {
        const LogWatch watch;
        bool opened;
        {
            std::lock_guard<std::mutex> handle(handle_);
            if (closing_) return Status{Errc::connection, "the connection to " + ip_ + " is closed", {}, {}};
            if (slot_ == Slots::kCount) {
                return Status{Errc::connection, "cannot open a connection to " + ip_ + ": " +
                                                    std::to_string(Slots::kCount) + " modules are open already", {}, {}};
            }
            close_handle();  // first, so that its disconnected event cannot pass for the new one's
            {
                std::lock_guard<std::mutex> lock(mutex_);
                event_ = -1;
            }
            opened = Vorn_KRAVENT_OpenConnection_MAINPORT(address_.data(), Slots::data_callback(slot_),
                                                          Slots::event_callback(slot_), &com_);
            current_ = com_;  // the handle that the library wrote during the call
        }
        if (!opened) return failure(Errc::connection, "cannot open a connection to " + ip_, ip_, &watch);
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, options_.timeout, [&] { return event_ != -1 || closing_; });
        if (event_ != VORN_KRAVENT_STATE_CONNECTED) {
            return Status{Errc::connection,
                          "the TCP connection to " + ip_ + (event_ == -1 ? " timed out" : " failed"), {}, {}};
        }
        up_ = true;
        return {};
    }

    // Once open: reports the connected link and, with reconnect, starts keeping it.
    void keep() {
        report(LinkState::connected);
        if (options_.reconnect) keeper_ = std::thread([this] { keep_link(); });
    }

    // One exchange: `ask` records the requests, `done` accepts the answer.
    template <class Ask, class Done>
    Status exchange(Ask ask, Done done, RegisterValues& answer) {
        if (Status refused = check_open(); !refused) return refused;  // at once, not after a reconnect attempt
        std::lock_guard<std::mutex> request(request_);
        if (Status refused = check_open(); !refused) return refused;
        if (!ask(com_)) return failure(Errc::failed, "cannot record the request (" + ip_ + ")");
        const LogWatch watch;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            pending_ = done;
            answered_ = false;
        }
        const bool sent = Vorn_KRAVENT_SendData_MAINPORT(com_);
        std::unique_lock<std::mutex> lock(mutex_);
        const bool woke = sent && changed_.wait_for(lock, options_.timeout, [&] {
            return answered_ || event_ != VORN_KRAVENT_STATE_CONNECTED || closing_;
        });
        pending_ = nullptr;
        if (answered_) {
            answer = answer_;
            return {};
        }
        if (!sent) return failure(Errc::failed, "cannot send the request (" + ip_ + ")", ip_, &watch);
        if (!woke) return failure(Errc::timeout, "no answer from " + ip_ + " in time", ip_, &watch);
        if (closing_) return Status{Errc::connection, "the connection to " + ip_ + " is closed", {}, {}};
        return Status{Errc::lost, "the connection to " + ip_ + " was lost before the answer came; "
                                  "the request is not sent again", {}, {}};
    }

    Status start_polling(std::vector<PollRegister> registers, std::chrono::milliseconds period,
                         std::function<void(const Sample&)> callback) {
        if (registers.empty() || period.count() <= 0 || period.count() > INT32_MAX)
            return Status{Errc::failed, "a poll needs registers and a positive period", {}, {}};
        if (Status refused = check_open(); !refused) return refused;
        std::lock_guard<std::mutex> request(request_);
        if (Status refused = check_open(); !refused) return refused;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            poll_ = std::move(registers);
            period_ = period;
            on_sample_ = std::move(callback);
        }
        return start_polling_now();
    }

    void stop_polling() {
        std::lock_guard<std::mutex> request(request_);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            poll_.clear();
            on_sample_ = nullptr;
        }
        if (!lost_ && !closing_) Vorn_KRAVENT_RepetitiveAskReset(com_);
    }

    bool wait_for_link(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return !lost_ || closing_; });
        return !lost_ && !closing_;
    }

    // The library's callbacks, found by handle.
    void data(const RegisterValues& record, ComID com) {
        const auto arrived = std::chrono::steady_clock::now();
        std::function<void(const Sample&)> callback;
        Sample sample;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stale(com)) return;
            if (pending_ && !answered_ && pending_(record)) {
                answer_ = record;
                answered_ = true;
                changed_.notify_all();
            }
            const bool polled = std::any_of(poll_.begin(), poll_.end(),
                                            [&](const PollRegister& r) { return r.received(record); });
            if (!polled || !on_sample_ || closing_) return;
            sample = Sample{++seq_, arrived, record};
            callback = on_sample_;
        }
        callback(sample);
    }

    void event(std::int32_t code, ComID com) {
        bool lost;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stale(com)) return;
            event_ = code;
            lost = code != VORN_KRAVENT_STATE_CONNECTED && up_ && !closing_ && !lost_;
            if (lost) lost_ = true;
            changed_.notify_all();
        }
        if (lost && !options_.reconnect) report(LinkState::lost);
    }

private:
    // A callback of the connection that a reconnect replaced. While an open runs the
    // handle is not known yet: what comes then is the new connection's.
    bool stale(ComID com) const {
        const ComID current = current_.load();
        return current != nullptr && com != current;
    }

    Status check_open() const {
        if (closing_) return Status{Errc::connection, "the connection to " + ip_ + " is closed", {}, {}};
        if (lost_ || event_ != VORN_KRAVENT_STATE_CONNECTED) {
            return Status{Errc::lost, "the connection to " + ip_ + " is lost" +
                                          (options_.reconnect ? "; reconnecting" : ""), {}, {}};
        }
        return {};
    }

    Status start_polling_now() {
        bool ok = Vorn_KRAVENT_RepetitiveAskReset(com_);
        for (const PollRegister& r : poll_) ok = ok && r.ask(com_, true);
        ok = ok && Vorn_KRAVENT_RepetitiveAskSetTime(static_cast<std::int32_t>(period_.count()), com_) &&
             Vorn_KRAVENT_RepetitiveAskStart(com_);
        return ok ? Status{} : failure(Errc::failed, "cannot start the poll (" + ip_ + ")");
    }

    void close_handle() {
        current_ = nullptr;
        if (com_ != nullptr) Vorn_KRAVENT_CloseConnection(&com_);
    }

    void report(LinkState state) {
        state_ = state;
        if (options_.on_state && !closing_) options_.on_state(state);
    }

    bool wait_closing(std::chrono::milliseconds delay) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, delay, [&] { return closing_.load(); });
    }

    void keep_link() {
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return lost_ || closing_; });
                if (closing_) return;
            }
            report(LinkState::lost);
            auto delay = options_.reconnect_delay;
            for (;;) {
                if (wait_closing(delay)) return;
                report(LinkState::retrying);
                bool back;
                {
                    std::lock_guard<std::mutex> request(request_);  // the dead link's requests go with it
                    back = connect() && (poll_.empty() || start_polling_now());
                }
                if (back) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    back = event_ == VORN_KRAVENT_STATE_CONNECTED;  // not lost again meanwhile
                    lost_ = !back;
                    changed_.notify_all();
                }
                if (back) break;
                delay = std::min(2 * delay, options_.reconnect_delay_max);
            }
            report(LinkState::back);
        }
    }

    const Address address_;
    const std::string ip_;
    const Options options_;
    const std::size_t slot_;  // of the callbacks
    ComID com_ = nullptr;     // written by the library during open and close only
    std::atomic<ComID> current_{nullptr};  // com_ as the callbacks may read it
    std::mutex handle_;   // held while the handle is replaced
    std::mutex request_;  // one exchange at a time
    std::mutex mutex_;    // the fields below
    std::condition_variable changed_;
    std::atomic<std::int32_t> event_{-1};
    bool up_ = false;
    std::atomic<bool> lost_{false};
    std::atomic<bool> closing_{false};
    std::atomic<LinkState> state_{LinkState::connected};
    std::function<bool(const RegisterValues&)> pending_;
    bool answered_ = false;
    RegisterValues answer_{};
    std::vector<PollRegister> poll_;
    std::chrono::milliseconds period_{100};
    std::function<void(const Sample&)> on_sample_;
    std::uint64_t seq_ = 0;
    std::thread keeper_;
};

template <std::size_t I>
void VORN_KRAVENT_CALL Slots::on_data(RegisterValues* values, ComID com) {
    all().with(I, [&](Link& link) { link.data(*values, com); });
}

template <std::size_t I>
void VORN_KRAVENT_CALL Slots::on_event(std::int32_t code, ComID com) {
    all().with(I, [&](Link& link) { link.event(code, com); });
}

}  // namespace detail

// An open connection to one module. Move-only; the destructor closes it.
class Module {
public:
#ifdef KRAVENT_HPP_EXCEPTIONS
    // Runs the module test and waits for the TCP connection; throws ConnectionError.
    explicit Module(std::string_view ip, Options options = {}) {
        Status status;
        if (!open_into(ip, std::move(options), status)) raise(std::move(status));
    }
#endif

    // The non-throwing open: a module, or none with `status` telling why.
    static std::optional<Module> try_open(std::string_view ip, Status& status, Options options = {}) {
        Module module;
        if (!module.open_into(ip, std::move(options), status)) return std::nullopt;
        return std::optional<Module>(std::move(module));
    }

    Module(Module&&) noexcept = default;
    Module& operator=(Module&&) noexcept = default;
    ~Module() = default;

    const std::string& ip() const { return link_->ip(); }
    LinkState link_state() const { return link_->state(); }
    // Waits until the link is up (at once when it is); false after `timeout`.
    bool wait_for_link(std::chrono::milliseconds timeout) { return link_->wait_for_link(timeout); }

    // Reads registers in one exchange; the non-throwing form leaves `status` set on failure.
    template <const auto&... R>
    auto try_read(Status& status) {
        static_assert(sizeof...(R) > 0, "name at least one register");
        static_assert((detail::reg_t<R>::readable && ...), "this register cannot be read");
        RegisterValues answer{};
        status = link_->exchange([](ComID com) { return (detail::reg_t<R>::ask(com, false) && ...); },
                                 [](const RegisterValues& v) { return (detail::reg_t<R>::received(v) && ...); },
                                 answer);
        if constexpr (sizeof...(R) == 1) {
            using Reg = std::tuple_element_t<0, std::tuple<detail::reg_t<R>...>>;
            using T = typename Reg::type;
            return status ? std::optional<T>(Reg::value(answer)) : std::optional<T>();
        } else {
            using T = std::tuple<typename detail::reg_t<R>::type...>;
            return status ? std::optional<T>(T(detail::reg_t<R>::value(answer)...)) : std::optional<T>();
        }
    }

    // Writes registers in one exchange: write<KP, KI>(1.5f, 0.1f).
    template <const auto&... R>
    bool try_write(Status& status, const typename detail::reg_t<R>::type&... values) {
        static_assert(sizeof...(R) > 0, "name at least one register");
        static_assert(((detail::reg_t<R>::write == WriteAccess::value) && ...),
                      "this register cannot be written (commands: command<>(), WARNINGS: reset_warnings())");
        status = link_->exchange(
            [&](ComID com) { return (detail::reg_t<R>::put(values, com) && ...); },
            [](const RegisterValues& v) { return (detail::reg_t<R>::written(v) && ...); }, scratch_);
        return static_cast<bool>(status);
    }

    // Runs a command: command<kravent::HOMING>().
    template <const auto& R>
    bool try_command(Status& status) {
        using Reg = detail::reg_t<R>;
        static_assert(Reg::write == WriteAccess::command || Reg::write == WriteAccess::reset, "this register is not a command");
        status = link_->exchange([](ComID com) { return Reg::put(typename Reg::type{}, com); },
                                 [](const RegisterValues& v) { return Reg::written(v); }, scratch_);
        return static_cast<bool>(status);
    }

    bool try_reset_warnings(Status& status) { return try_command<WARNINGS>(status); }

    // Polls registers every `period`; each answer reaches `callback` as a Sample, on the
    // library's thread. With reconnect the poll resumes after a lost link.
    bool try_poll(std::initializer_list<PollRegister> registers, std::chrono::milliseconds period,
                  std::function<void(const Sample&)> callback, Status& status) {
        status = link_->start_polling(std::vector<PollRegister>(registers), period, std::move(callback));
        return static_cast<bool>(status);
    }

    // Stops the poll; no callback of it starts after this returns.
    void stop_polling() { link_->stop_polling(); }

#ifdef KRAVENT_HPP_EXCEPTIONS
    template <const auto&... R>
    auto read() {
        Status status;
        auto values = try_read<R...>(status);
        if (!values) raise(std::move(status));
        return *std::move(values);
    }
    template <const auto&... R>
    void write(const typename detail::reg_t<R>::type&... values) {
        Status status;
        if (!try_write<R...>(status, values...)) raise(std::move(status));
    }
    template <const auto& R>
    void command() {
        Status status;
        if (!try_command<R>(status)) raise(std::move(status));
    }
    void reset_warnings() { command<WARNINGS>(); }
    void poll(std::initializer_list<PollRegister> registers, std::chrono::milliseconds period,
              std::function<void(const Sample&)> callback) {
        Status status;
        if (!try_poll(registers, period, std::move(callback), status)) raise(std::move(status));
    }
#endif

private:
    Module() = default;

    bool open_into(std::string_view ip, Options options, Status& status) {
        const std::optional<Address> address = detail::parse_ip(ip);
        if (!address) {
            status = Status{Errc::connection, "not an IPv4 address: " + std::string(ip), {}, {}};
            return false;
        }
        link_ = std::make_unique<detail::Link>(*address, std::move(options));
        status = link_->connect();
        if (!status) {
            link_.reset();
            return false;
        }
        link_->keep();
        return true;
    }

    std::unique_ptr<detail::Link> link_;
    RegisterValues scratch_{};
};

// Finds the modules on every network interface (UDP broadcast); false in `status` when
// the request could not be sent.
inline std::vector<ModuleInfo> try_scan(Status& status) {
    std::vector<ModuleScanRecord> records(64);
    std::int32_t found = 0;
    for (;;) {
        found = Vorn_KRAVENT_ScanNetwork(records.data(), static_cast<std::int32_t>(records.size()));
        if (found <= static_cast<std::int32_t>(records.size())) break;
        records.resize(static_cast<std::size_t>(found));  // more answered than there was room for
    }
    status = {};
    if (found < 0) {
        status = detail::failure(Errc::failed, "cannot scan");
        return {};
    }
    std::vector<ModuleInfo> modules;
    for (std::int32_t i = 0; i < found; ++i) {
        const ModuleScanRecord& r = records[static_cast<std::size_t>(i)];
        modules.push_back(ModuleInfo{detail::array_of(r.ModuleMac), detail::array_of(r.ModuleIP),
                                     Halves{r.TypeHigh, r.TypeLow}, Halves{r.VersionHigh, r.VersionLow},
                                     detail::text_of(r.ModuleName)});
    }
    return modules;
}

#ifdef KRAVENT_HPP_EXCEPTIONS
inline std::vector<ModuleInfo> scan() {
    Status status;
    std::vector<ModuleInfo> modules = try_scan(status);
    if (!status) raise(std::move(status));
    return modules;
}
#endif

// The library's version text.
inline std::string version() { return detail::library_text(&Vorn_KRAVENT_VersionDLL); }

}  // namespace kravent
