// set-ip: Vorn_KRAVENT_ChangeIPAddress first makes sure for 5 s that no host answers
// at the new address, so it runs on a worker thread while stderr shows the wait.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstdio>
#include <mutex>
#include <thread>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/stop_signals.h"
#include "cli/value_format.h"
#include "hostos/hostos.h"

namespace kravent::cli {

namespace {

using Clock = std::chrono::steady_clock;

// Runs the address change on its own thread; the caller waits for it tick by tick.
class AddressChange {
public:
    AddressChange(const std::int32_t mac[6], const std::int32_t ip[4], const std::int32_t mask[4]) {
        std::copy(mac, mac + 6, mac_);
        std::copy(ip, ip + 4, ip_);
        std::copy(mask, mask + 4, mask_);
        worker_ = std::thread([this] {
            const bool ok = Vorn_KRAVENT_ChangeIPAddress(mac_, ip_, mask_);
            {
                std::lock_guard lock(mutex_);
                done_ = true;
                ok_ = ok;
            }
            finished_.notify_all();
        });
    }
    ~AddressChange() { worker_.join(); }

    // True when the change has ended, or a stop signal came, within `tick`.
    bool WaitTick(std::chrono::milliseconds tick) {
        std::unique_lock lock(mutex_);
        return finished_.wait_for(lock, tick, [&] { return done_ || interrupted_; });
    }
    void Interrupt() {
        {
            std::lock_guard lock(mutex_);
            interrupted_ = true;
        }
        finished_.notify_all();
    }
    bool Interrupted() {
        std::lock_guard lock(mutex_);
        return interrupted_ && !done_;
    }
    bool Succeeded() {
        std::lock_guard lock(mutex_);
        return ok_;
    }

private:
    std::int32_t mac_[6];
    std::int32_t ip_[4];
    std::int32_t mask_[4];
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    bool ok_ = false;
    bool interrupted_ = false;
    std::thread worker_;
};

}  // namespace

int CommandSetIp(const Arguments& args, const Reporter& report) {
    if (args.operands.size() != 3) return report.Usage("usage: kravent set-ip MAC IP MASK");
    std::int32_t mac[6];
    std::int32_t ip[4];
    std::int32_t mask[4];
    if (!ParseMac(args.operands[0], mac)) return report.Usage("'" + args.operands[0] + "' is not a MAC address xx:xx:xx:xx:xx:xx");
    if (!ParseAddress(args.operands[1], ip)) return report.Usage("'" + args.operands[1] + "' is not a dotted IPv4 address");
    if (!ParseAddress(args.operands[2], mask)) return report.Usage("'" + args.operands[2] + "' is not a dotted subnet mask");

    const std::string target = FormatMac(mac) + " -> " + FormatAddress(ip) + "/" + FormatAddress(mask);
    const bool terminal = hostos::IsTerminal(stderr);
    const bool progress = !report.json();  // JSON output keeps stderr for JSON
    const auto start = Clock::now();
    bool ok = false;
    {
        AddressChange change(mac, ip, mask);
        const StopHandler onStop([&change] { change.Interrupt(); });
        if (progress)
            std::fprintf(stderr, "changing the address of %s (first about 5 s of checking that nothing answers there)\n",
                         target.c_str());
        while (!change.WaitTick(std::chrono::milliseconds(250))) {
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            if (!progress) continue;
            if (terminal) std::fprintf(stderr, "\r  waiting %4.1f s", seconds);
            else std::fputc('.', stderr);
        }
        if (change.Interrupted()) {
            // The library's call cannot be cut short; its socket closes with the process.
            if (progress) std::fputc('\n', stderr);
            report.Summary("set-ip", "interrupted after " + FormatSeconds(Clock::now() - start) + "; " + target +
                                         " may still be acknowledged and taken by the module");
            std::fflush(stdout);
            std::_Exit(kExitInterrupted);
        }
        ok = change.Succeeded();
    }
    if (progress) std::fputc('\n', stderr);
    if (!ok) return report.Failure("the address change " + target + " failed");
    if (report.json())
        std::printf("%s\n", JsonObject()
                                .AddString("mac", FormatMac(mac))
                                .AddString("ip", FormatAddress(ip))
                                .AddString("mask", FormatAddress(mask))
                                .AddBool("changed", true)
                                .Text()
                                .c_str());
    else
        std::printf("module %s acknowledged its new address %s (mask %s)\n", FormatMac(mac).c_str(), FormatAddress(ip).c_str(),
                    FormatAddress(mask).c_str());
    return 0;
}

}  // namespace kravent::cli
