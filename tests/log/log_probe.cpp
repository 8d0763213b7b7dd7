// A helper process for the log tests. The tests copy it into a directory of their own
// and run it there: no library of the logger's name is loaded into it, so its log lies
// beside the copy. Commands:
//   write IP MESSAGE [IP MESSAGE ...]  log each pair; print "1" or "0" per call, then
//                                      "last:" and the last-error text
//   timed IP MESSAGE [IP MESSAGE ...]  as write, with the call's milliseconds after each
//                                      "1" or "0"
//   repeat COUNT IP MESSAGE            print "ready", wait for one byte on stdin, log
//                                      COUNT times, numbered "1 MESSAGE", "2 MESSAGE", ...
//                                      (no two alike); exit status: the failed calls
//   hold                               take the log lock, print "held", keep it until
//                                      stdin closes
//   race COUNT                         log COUNT numbered messages on two threads while
//                                      two more copy the last error; prints "unwritten N"
//                                      (records that failed); exit 1 on a torn copy
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

#include "log/error_log.h"
#include "platform/platform.h"

namespace {

void PrintLine(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string LastError() {
    char text[512];
    std::int32_t length = sizeof text;
    kravent::CopyLastErrorText(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

void WaitForStdin() {
    char byte = 0;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
}

int Write(int argc, char** argv) {
    for (int i = 2; i + 1 < argc; i += 2) PrintLine(kravent::WriteErrorLog(argv[i + 1], argv[i]) ? "1" : "0");
    PrintLine("last:" + LastError());
    return 0;
}

int Timed(int argc, char** argv) {
    for (int i = 2; i + 1 < argc; i += 2) {
        const auto start = std::chrono::steady_clock::now();
        const bool written = kravent::WriteErrorLog(argv[i + 1], argv[i]);
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        PrintLine(std::string(written ? "1 " : "0 ") + std::to_string(took.count()));
    }
    PrintLine("last:" + LastError());
    return 0;
}

// "N TEXT": each record its own, so that none is left out as a repeat of another.
std::string Numbered(int number, std::string_view text) { return std::to_string(number) + " " + std::string(text); }

// True when `text` is `base` with a number in front, as Numbered() makes it.
bool IsNumbered(std::string_view text, std::string_view base) {
    const std::size_t space = text.find(' ');
    if (space == 0 || space == std::string_view::npos || text.substr(space + 1) != base) return false;
    return text.substr(0, space).find_first_not_of("0123456789") == std::string_view::npos;
}

int Repeat(int argc, char** argv) {
    if (argc != 5) return 100;
    const int count = std::atoi(argv[2]);
    PrintLine("ready");
    char go = 0;
    if (read(STDIN_FILENO, &go, 1) != 1) return 101;
    int failed = 0;
    for (int i = 1; i <= count; ++i) failed += kravent::WriteErrorLog(Numbered(i, argv[4]), argv[3]) ? 0 : 1;
    return failed;
}

int Hold() {
    kravent::platform::NamedMutex mutex;
    if (!mutex.Create("LOG_FILE_VORN_KRAVENT_DLL")) return 102;
    if (mutex.Lock(kravent::platform::kInfinite) != kravent::platform::LockResult::Acquired) return 103;
    PrintLine("held");
    WaitForStdin();
    mutex.Unlock();
    return 0;
}

int Race(int argc, char** argv) {
    if (argc != 3) return 100;
    const int count = std::atoi(argv[2]);
    const std::string messages[2] = {std::string(200, 'a') + "\t(WriterA)", std::string(40, 'b') + "\t(WriterB)"};
    std::atomic<int> writersLeft{2};
    std::atomic<bool> torn{false};
    std::atomic<int> unwritten{0};  // calls that returned false
    std::vector<std::thread> threads;
    for (const std::string& message : messages) {
        threads.emplace_back([&, message] {
            for (int i = 1; i <= count; ++i) unwritten += kravent::WriteErrorLog(Numbered(i, message), "10.0.0.1") ? 0 : 1;
            writersLeft.fetch_sub(1);
        });
    }
    for (int reader = 0; reader < 2; ++reader) {
        threads.emplace_back([&] {
            while (writersLeft.load() > 0) {
                const std::string text = LastError();
                if (text != "No Error" && !IsNumbered(text, messages[0]) && !IsNumbered(text, messages[1])) torn.store(true);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    PrintLine("unwritten " + std::to_string(unwritten.load()));
    return torn.load() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "write") return Write(argc, argv);
    if (command == "timed") return Timed(argc, argv);
    if (command == "repeat") return Repeat(argc, argv);
    if (command == "hold") return Hold();
    if (command == "race") return Race(argc, argv);
    std::fprintf(stderr, "usage: log_probe write|timed|repeat|hold|race ...\n");
    return 100;
}
