// A provoked failure is recorded in the log file beside the loaded DLL, dated with the
// regional short date and time formats of the host system.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/win32/api/dll_api.h"
#include "tests/win32/harness.h"

using namespace kravent::wintest;

namespace {

const std::string kMessage = "Pointer on buffer to get Last Error = NULL\t(Vorn_KRAVENT_GetLastError)";
const std::string kTitle = "Error Log File for the \"Vorn-KRAVENT_DLLInterface.dll\"\t\t";
const std::string kColumns = "\r\n\r\nDate\t\tHour\t\tIP Address\tError description\r\n\r\n";

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
        std::fclose(file);
    }
    return text;
}

// The record WriteErrorLog makes of kMessage without an address, at the present moment.
std::string RecordNow() {
    char date[128] = {};
    char time[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof time);
    return std::string(date) + "\t" + time + "\t" + "None           \t" + kMessage + "\r\n\r\n";
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

KRAVENT_CASE(FailureIsLoggedBesideTheDllWithRegionalDateAndTime) {
    CHECK(Dll().complete);
    if (!Dll().complete) return;
    const std::string path = Dll().directory + "\\Error_Vorn-KRAVENT_DLLInterface.log";
    const std::string before = ReadWholeFile(path);  // earlier cases may have logged already

    const std::string recordBefore = RecordNow();
    std::int32_t length = 50;
    Dll().GetLastError(nullptr, &length);
    const std::string recordAfter = RecordNow();
    CHECK(length == 50);  // nothing copied
    CHECK(LastErrorText() == kMessage);

    const std::string log = ReadWholeFile(path);
    CHECK(log.compare(0, kTitle.size(), kTitle) == 0);
    CHECK(Occurrences(log, kTitle) == 1);
    CHECK(Occurrences(log, kColumns) == 1);
    CHECK(log.size() > before.size() && log.compare(0, before.size(), before) == 0);
    const std::size_t start = before.empty() ? log.find(kColumns) + kColumns.size() : before.size();
    const std::string added = start <= log.size() ? log.substr(start) : std::string();
    std::printf("  record: %s", added.c_str());
    CHECK(added == recordBefore || added == recordAfter);
}

// A log at its bound moves to its name with ".1", replacing an older one, and the new
// log begins with the header: rename does not replace files on Windows by itself.
KRAVENT_CASE(FullLogMovesToTheOldGenerationReplacingTheOlderOne) {
    CHECK(Dll().complete);
    if (!Dll().complete) return;
    const std::string path = Dll().directory + "\\Error_Vorn-KRAVENT_DLLInterface.log";
    const std::string old = path + ".1";
    constexpr long kNearlyFull = 8 * 1024 * 1024 - 20;  // no record fits in 20 bytes
    if (FILE* file = std::fopen(old.c_str(), "wb")) {
        std::fputs("oldest\r\n", file);
        std::fclose(file);
    }
    if (FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fseek(file, 0, SEEK_END);
        for (long size = std::ftell(file); size < kNearlyFull; ++size) std::fputc(' ', file);
        std::fclose(file);
    }

    CHECK(!Dll().RepetitiveAskSetTime(100, nullptr));
    const std::string moved = ReadWholeFile(old);
    CHECK(moved.size() == static_cast<std::size_t>(kNearlyFull));
    const std::string log = ReadWholeFile(path);
    CHECK(log.compare(0, kTitle.size(), kTitle) == 0);
    CHECK(Occurrences(log, "\r\n\r\n") == 3);  // the title, the columns and the record
}
