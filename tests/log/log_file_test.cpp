// The log file as other programs see it: written by helper processes, each in a fresh
// directory of its own, so every test reads exactly the log it produced.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "log/record_limiter.h"
#include "tests/log/child_process.h"
#include "tests/log/log_text.h"
#include "tests/log/private_shared_memory.h"

namespace {

using kravent::testing::ChildProcess;
using kravent::testing::ReadFile;
using kravent::testing::TemporaryDirectory;
using Lines = std::vector<std::string>;

const std::string kHeader =
    "Error Log File for the \"Vorn-KRAVENT_DLLInterface.dll\"\t\t"
    "Vorn KRAVENT DC-motor module interface\r\n\r\n"
    "Date\t\tHour\t\tIP Address\tError description\r\n\r\n";
const std::string kMutexWarning = "Vorn-KRAVENT_DLLInterface.dll: Unable to write the Error log file (Mutex error)\n";

constexpr std::uintmax_t kLogLimit = 8 * 1024 * 1024;

// The milliseconds of one line of `log_probe timed`.
long CallMs(const std::string& line) { return std::stol(line.substr(2)); }

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe_ = directory_.path() / "log_probe";
        std::filesystem::copy_file(KRAVENT_LOG_PROBE, probe_);
    }

    std::filesystem::path LogPath() const { return directory_.path() / "Error_Vorn-KRAVENT_DLLInterface.log"; }
    std::string Log() const { return ReadFile(LogPath()); }
    std::string Warnings() const { return ReadFile(StderrPath()); }
    std::filesystem::path StderrPath() const { return directory_.path() / "stderr.txt"; }

    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments) const {
        return std::make_unique<ChildProcess>(probe_, arguments, StderrPath());
    }

    // Runs `log_probe write ...` to its end: one "1"/"0" per record, then "last:<text>".
    Lines Write(const std::vector<std::string>& pairs) const {
        std::vector<std::string> arguments{"write"};
        arguments.insert(arguments.end(), pairs.begin(), pairs.end());
        auto child = Start(arguments);
        Lines lines = child->ReadLines();
        EXPECT_EQ(child->Wait(), 0);
        return lines;
    }

    // Runs `log_probe timed ...`: "1 <ms>" or "0 <ms>" per record, then "last:<text>".
    Lines Timed(const std::vector<std::string>& pairs) const {
        std::vector<std::string> arguments{"timed"};
        arguments.insert(arguments.end(), pairs.begin(), pairs.end());
        auto child = Start(arguments);
        Lines lines = child->ReadLines();
        EXPECT_EQ(child->Wait(), 0);
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].substr(0, 2), "1 ") << "record " << i;
        return lines;
    }

    // The log with every record's date and time replaced by "D\tT\t".
    std::string LogWithoutTimes() const { return kravent::testing::WithoutTimes(Log()); }

    TemporaryDirectory directory_;
    std::filesystem::path probe_;
};

TEST_F(LogFileTest, HeaderOnceThenOneRecordPerFailureWithPaddedAddressField) {
    EXPECT_EQ(Write({}), (Lines{"last:No Error"}));
    EXPECT_FALSE(std::filesystem::exists(LogPath()));

    EXPECT_EQ(Write({"0", "No module\t(A)", "192.168.1.1", "Eleven\t(B)"}), (Lines{"1", "1", "last:Eleven\t(B)"}));
    EXPECT_EQ(Write({"192.168.100.200", "Fifteen\t(C)", "1234567890123456789", "Longer\t(D)", "", "Empty\t(E)"}),
              (Lines{"1", "1", "1", "last:Empty\t(E)"}));

    EXPECT_EQ(LogWithoutTimes(), kHeader +
                                     "D\tT\tNone           \tNo module\t(A)\r\n\r\n"
                                     "D\tT\t192.168.1.1    \tEleven\t(B)\r\n\r\n"
                                     "D\tT\t192.168.100.200\tFifteen\t(C)\r\n\r\n"
                                     "D\tT\t1234567890123456789\tLonger\t(D)\r\n\r\n"
                                     "D\tT\t               \tEmpty\t(E)\r\n\r\n");
    EXPECT_EQ(Warnings(), "");
}

TEST_F(LogFileTest, ExistingFileIsAppendedToNeverTruncatedAndGetsTheHeaderOnlyWhenEmpty) {
    { std::ofstream(LogPath(), std::ios::binary) << "kept\r\n"; }
    EXPECT_EQ(Write({"10.0.0.1", "Appended\t(A)"}), (Lines{"1", "last:Appended\t(A)"}));
    EXPECT_EQ(LogWithoutTimes(), "kept\r\nD\tT\t10.0.0.1       \tAppended\t(A)\r\n\r\n");

    // Left empty: by a header write that a full disk refused, or by hand.
    { std::ofstream(LogPath(), std::ios::binary | std::ios::trunc); }
    EXPECT_EQ(Write({"0", "Emptied\t(B)"}), (Lines{"1", "last:Emptied\t(B)"}));
    EXPECT_EQ(LogWithoutTimes(), kHeader + "D\tT\tNone           \tEmptied\t(B)\r\n\r\n");
}

TEST_F(LogFileTest, LogThatCannotBeWrittenIsNoticedOnceAndTheLastErrorStillSet) {
    std::filesystem::create_directory(LogPath());  // a directory stands where the file would be
    EXPECT_EQ(Write({"0", "Lost\t(A)", "0", "Lost again\t(B)"}), (Lines{"0", "0", "last:Lost again\t(B)"}));
    EXPECT_EQ(Write({"0", "Lost\t(C)"}), (Lines{"0", "last:Lost\t(C)"}));
    EXPECT_TRUE(std::filesystem::is_directory(LogPath()));
    // One notice per process, naming the file and the reason.
    const std::string notice = "Vorn-KRAVENT_DLLInterface.dll: Unable to write the Error log file " + LogPath().string() +
                               " (Is a directory)\n";
    EXPECT_EQ(Warnings(), notice + notice);
}

// At its bound the log moves to its name with ".1", replacing an older one, and a new
// log begins with the header: the two together never pass twice the bound.
TEST_F(LogFileTest, FullLogMovesToTheOldGenerationAndANewOneBegins) {
    const std::filesystem::path old = LogPath().string() + ".1";
    { std::ofstream(old, std::ios::binary) << "oldest\r\n"; }
    { std::ofstream(LogPath(), std::ios::binary) << "first\r\n"; }
    std::filesystem::resize_file(LogPath(), kLogLimit - 100);
    EXPECT_EQ(Write({"0", "Fits\t(A)"}), (Lines{"1", "last:Fits\t(A)"}));
    const std::uintmax_t fullSize = std::filesystem::file_size(LogPath());
    EXPECT_LE(fullSize, kLogLimit);
    EXPECT_EQ(ReadFile(old), "oldest\r\n");

    EXPECT_EQ(Write({"0", "Does not fit\t(B)"}), (Lines{"1", "last:Does not fit\t(B)"}));
    EXPECT_EQ(LogWithoutTimes(), kHeader + "D\tT\tNone           \tDoes not fit\t(B)\r\n\r\n");
    EXPECT_EQ(std::filesystem::file_size(old), fullSize);
    EXPECT_EQ(ReadFile(old).substr(0, 7), "first\r\n");
}

// The same failure on the same address, called in a burst: a bounded number of records,
// each call still a success of the logger and the last error.
TEST_F(LogFileTest, BurstOfOneRecordIsWrittenABoundedNumberOfTimes) {
    std::vector<std::string> pairs;
    for (int i = 0; i < 25; ++i) pairs.insert(pairs.end(), {"10.0.0.7", "Cannot Send all Bytes\t(X)"});
    pairs.insert(pairs.end(), {"10.0.0.8", "Cannot Send all Bytes\t(X)"});
    const Lines lines = Write(pairs);
    EXPECT_EQ(lines.size(), 27u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "1"), 26);
    EXPECT_EQ(lines.back(), "last:Cannot Send all Bytes\t(X)");

    const std::string record = "D\tT\t10.0.0.7       \tCannot Send all Bytes\t(X)\r\n\r\n";
    std::string expected = kHeader;
    // 26 calls take far less than the limit's window of a second.
    for (std::uint32_t i = 0; i < kravent::RecordLimiter::kRecordsPerWindow; ++i) expected += record;
    EXPECT_EQ(LogWithoutTimes(), expected + "D\tT\t10.0.0.8       \tCannot Send all Bytes\t(X)\r\n\r\n");
}

// A holder that keeps the lock (stopped in a debugger): the first call waits for it the
// whole limit, later ones do not; every record is still written, every text still set.
TEST_F(LogFileTest, LockHeldElsewhereIsWaitedForOnceThenRecordsAreWrittenWithoutIt) {
    KRAVENT_REQUIRE_PRIVATE_LOG_LOCK();
    auto holder = Start({"hold"});
    ASSERT_EQ(holder->ReadLine(), "held");

    const Lines lines = Timed({"0", "Blocked\t(A)", "0", "Blocked\t(B)", "0", "Blocked\t(C)"});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "last:Blocked\t(C)");
    EXPECT_GE(CallMs(lines[0]), 450);
    EXPECT_LT(CallMs(lines[1]) + CallMs(lines[2]), 250) << "each call waited for the held lock again";
    EXPECT_EQ(Warnings(), kMutexWarning);
    EXPECT_EQ(LogWithoutTimes(), kHeader + "D\tT\tNone           \tBlocked\t(A)\r\n\r\n"
                                           "D\tT\tNone           \tBlocked\t(B)\r\n\r\n"
                                           "D\tT\tNone           \tBlocked\t(C)\r\n\r\n");

    holder->CloseStdin();
    EXPECT_EQ(holder->Wait(), 0);
    EXPECT_EQ(Write({"0", "Free\t(D)"}), (Lines{"1", "last:Free\t(D)"}));
    EXPECT_EQ(Warnings(), kMutexWarning);
}

// A lock object that no one can set up (any local user may leave an empty one): given up
// after one attempt, with one warning; the log is written without it.
TEST_F(LogFileTest, LockThatCannotBeCreatedIsGivenUpOnce) {
    KRAVENT_REQUIRE_PRIVATE_LOG_LOCK();
    const std::filesystem::path object = "/dev/shm/LOG_FILE_VORN_KRAVENT_DLL";
    std::filesystem::remove(object);  // left by earlier tests; no process of theirs holds it
    { std::ofstream created(object); }
    struct Remove {
        std::filesystem::path path;
        ~Remove() { std::filesystem::remove(path); }
    } removeAfterwards{object};

    const Lines lines = Timed({"0", "Unlocked\t(A)", "0", "Unlocked\t(B)", "0", "Unlocked\t(C)"});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "last:Unlocked\t(C)");
    EXPECT_LT(CallMs(lines[1]) + CallMs(lines[2]), 250) << "each call tried to open the lock again";
    EXPECT_EQ(Warnings(), "Vorn-KRAVENT_DLLInterface.dll: Unable to Create Mutex for Log File writing\n");
    EXPECT_EQ(LogWithoutTimes(), kHeader + "D\tT\tNone           \tUnlocked\t(A)\r\n\r\n"
                                           "D\tT\tNone           \tUnlocked\t(B)\r\n\r\n"
                                           "D\tT\tNone           \tUnlocked\t(C)\r\n\r\n");
}

TEST_F(LogFileTest, HolderKilledWithTheLockReportsAbandonedOnceThenLogsNormally) {
    KRAVENT_REQUIRE_PRIVATE_LOG_LOCK();
    auto holder = Start({"hold"});
    ASSERT_EQ(holder->ReadLine(), "held");
    holder->Kill();
    EXPECT_EQ(holder->Wait(), 128 + SIGKILL);

    EXPECT_EQ(Write({"0", "Abandoned\t(A)", "0", "Recovered\t(B)"}), (Lines{"0", "1", "last:Recovered\t(B)"}));
    EXPECT_EQ(Warnings(), kMutexWarning);
    EXPECT_EQ(LogWithoutTimes(), kHeader + "D\tT\tNone           \tRecovered\t(B)\r\n\r\n");
    EXPECT_EQ(Write({"0", "Again\t(C)"}), (Lines{"1", "last:Again\t(C)"}));
}

// Where the log goes when its own directory is not writable, or when it is chosen: the
// probe runs as the unprivileged user `nobody` (uid 65534) from a directory of root's.
TEST_F(LogFileTest, LogGoesToTheChosenOrTheStateDirectoryWhenItsOwnIsNotWritable) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run the probe as another user";
    const std::filesystem::path home = directory_.path() / "home";
    const std::filesystem::path state = directory_.path() / "state";
    std::filesystem::permissions(directory_.path(), std::filesystem::perms(0755));
    for (const auto& owned : {home, state}) {
        std::filesystem::create_directory(owned);
        ASSERT_EQ(chown(owned.c_str(), 65534, 65534), 0);
    }
    const auto writeAsNobody = [&](const char* message) {
        ChildProcess child("/usr/bin/setpriv",
                           {"--reuid=65534", "--regid=65534", "--clear-groups", probe_.string(), "write", "0", message},
                           StderrPath());
        child.ReadLines();
        EXPECT_EQ(child.Wait(), 0);
    };
    const std::string product = "Vorn-KRAVENT_DLLInterface/Error_Vorn-KRAVENT_DLLInterface.log";
    const auto logAt = [](const std::filesystem::path& path) { return kravent::testing::WithoutTimes(ReadFile(path)); };

    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_STATE_HOME");
    writeAsNobody("Home\t(A)");
    EXPECT_EQ(logAt(home / ".local/state" / product), kHeader + "D\tT\tNone           \tHome\t(A)\r\n\r\n");

    setenv("XDG_STATE_HOME", state.c_str(), 1);
    writeAsNobody("State\t(B)");
    EXPECT_EQ(logAt(state / product), kHeader + "D\tT\tNone           \tState\t(B)\r\n\r\n");

    const std::filesystem::path chosen = state / "chosen";
    setenv("VORN_KRAVENT_LOG_DIR", chosen.c_str(), 1);
    EXPECT_EQ(Write({"0", "Chosen\t(C)"}), (Lines{"1", "last:Chosen\t(C)"}));  // as root: beside would do
    unsetenv("VORN_KRAVENT_LOG_DIR");
    EXPECT_EQ(logAt(chosen / "Error_Vorn-KRAVENT_DLLInterface.log"), kHeader + "D\tT\tNone           \tChosen\t(C)\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
    EXPECT_EQ(Warnings(), "");
}

// Splits the records of a log after its header; each ends with an empty line.
std::vector<std::string> Records(const std::string& body) {
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t end = body.find("\r\n\r\n"); end != std::string::npos; end = body.find("\r\n\r\n", start)) {
        records.push_back(body.substr(start, end - start));
        start = end + 4;
    }
    EXPECT_EQ(start, body.size()) << "text after the last record";
    return records;
}

TEST_F(LogFileTest, TwoProcessesLoggingAtOnceLeaveWholeRecords) {
    constexpr int kCount = 300;
    const std::string longMessage = std::string(300, 'x') + "\t(Long)";
    auto first = Start({"repeat", std::to_string(kCount), "10.1.1.1", longMessage});
    auto second = Start({"repeat", std::to_string(kCount), "0", "Short\t(Short)"});
    ASSERT_EQ(first->ReadLine(), "ready");
    ASSERT_EQ(second->ReadLine(), "ready");
    first->Send('g');
    second->Send('g');
    EXPECT_EQ(first->Wait(), 0);
    EXPECT_EQ(second->Wait(), 0);

    const std::string log = LogWithoutTimes();
    ASSERT_EQ(log.compare(0, kHeader.size(), kHeader), 0);
    int longRecords = 0;
    int shortRecords = 0;
    for (const std::string& record : Records(log.substr(kHeader.size()))) {
        if (record == "D\tT\t10.1.1.1       \t" + std::to_string(longRecords + 1) + " " + longMessage) {
            ++longRecords;
        } else if (record == "D\tT\tNone           \t" + std::to_string(shortRecords + 1) + " Short\t(Short)") {
            ++shortRecords;
        } else {
            ADD_FAILURE() << "broken record: " << record.substr(0, 80);
        }
    }
    EXPECT_EQ(longRecords, kCount);
    EXPECT_EQ(shortRecords, kCount);
}

TEST_F(LogFileTest, ReadersCopyWholeMessagesWhileOtherThreadsLog) {
    auto child = Start({"race", "200"});
    const std::string unwritten = child->ReadLine();
    EXPECT_EQ(child->Wait(), 0) << "a reader copied a torn last-error text";
    ASSERT_EQ(unwritten.rfind("unwritten ", 0), 0u) << unwritten;
    const std::string log = Log();
    ASSERT_EQ(log.compare(0, kHeader.size(), kHeader), 0);
    EXPECT_EQ(unwritten, "unwritten 0");
    EXPECT_EQ(Records(log.substr(kHeader.size())).size(), 400u);
}

}  // namespace
