// The two exported text copies, Vorn_KRAVENT_VersionDLL and Vorn_KRAVENT_GetLastError:
// the host-buffer contract, the null-buffer failures and the record they log.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "tests/interface_frame/loaded_library.h"
#include "tests/log/log_text.h"

namespace {

using kravent::testing::LoadedLibrary;
using CopyText = decltype(Vorn_KRAVENT_VersionDLL);

const std::string kVersion = "Vorn-KRAVENT_DLLInterface_v1.00.00_140807";
const std::string kNullVersionBuffer = "Pointer on buffer to get Version = NULL\t(Vorn_KRAVENT_VersionDLL)";
const std::string kNullErrorBuffer = "Pointer on buffer to get Last Error = NULL\t(Vorn_KRAVENT_GetLastError)";

struct Copy {
    std::string text;     // the bytes before the first untouched one
    std::int32_t length;  // what Length holds afterwards
    bool restUntouched;   // every byte after `text` still holds the fill byte
};

// Calls `copy` with a 200-byte buffer full of '#' and a capacity of `capacity`.
Copy CallWithCapacity(CopyText* copy, std::int32_t capacity) {
    std::array<char, 200> buffer;
    buffer.fill('#');
    std::int32_t length = capacity;
    copy(buffer.data(), &length);
    std::size_t written = 0;
    while (written < buffer.size() && buffer[written] != '#') ++written;
    bool rest = true;
    for (std::size_t i = written; i < buffer.size(); ++i) rest = rest && buffer[i] == '#';
    return {std::string(buffer.data(), written), length, rest};
}

std::string LastError(const LoadedLibrary& library) {
    return CallWithCapacity(library.Get<CopyText>("Vorn_KRAVENT_GetLastError"), 150).text;
}

class TextCopyTest : public ::testing::Test {
protected:
    CopyText* Function(const char* name) const { return library_.Get<CopyText>(name); }
    LoadedLibrary library_;
};

struct NullBufferCase {
    const char* testName;
    const char* exportName;
    const std::string* message;
};

void PrintTo(const NullBufferCase& test, std::ostream* out) { *out << test.exportName; }

class NullBufferTest : public ::testing::TestWithParam<NullBufferCase> {
protected:
    CopyText* Function(const char* name) const { return library_.Get<CopyText>(name); }
    LoadedLibrary library_;
};

TEST_F(TextCopyTest, VersionFitsCutsOrCopiesNothingByCapacity) {
    for (const char* name : {"Vorn_KRAVENT_VersionDLL", "_Vorn_KRAVENT_VersionDLL"}) {
        SCOPED_TRACE(name);
        CopyText* version = Function(name);
        const Copy whole = CallWithCapacity(version, 100);
        EXPECT_EQ(whole.text, kVersion);
        EXPECT_EQ(whole.length, 41);
        EXPECT_TRUE(whole.restUntouched) << "no terminating zero, nothing after the text";

        EXPECT_EQ(CallWithCapacity(version, 41).length, 41);
        const Copy cut = CallWithCapacity(version, 10);
        EXPECT_EQ(cut.text, kVersion.substr(0, 10));
        EXPECT_EQ(cut.length, 10);
        EXPECT_TRUE(cut.restUntouched);
        for (const std::int32_t empty : {0, -1, -2147483647 - 1}) {
            const Copy none = CallWithCapacity(version, empty);
            EXPECT_EQ(none.text, "");
            EXPECT_EQ(none.length, empty);
            EXPECT_TRUE(none.restUntouched);
        }
    }
    EXPECT_EQ(LastError(library_), "No Error");
    EXPECT_FALSE(std::filesystem::exists(library_.LogPath()));
}

TEST_F(TextCopyTest, LastErrorStartsAsNoErrorUnderTheSameContract) {
    CopyText* lastError = Function("Vorn_KRAVENT_GetLastError");
    const Copy whole = CallWithCapacity(lastError, 50);
    EXPECT_EQ(whole.text, "No Error");
    EXPECT_EQ(whole.length, 8);
    EXPECT_TRUE(whole.restUntouched);
    const Copy cut = CallWithCapacity(lastError, 3);
    EXPECT_EQ(cut.text, "No ");
    EXPECT_EQ(cut.length, 3);
    EXPECT_EQ(CallWithCapacity(lastError, 0).text, "");
    EXPECT_EQ(CallWithCapacity(lastError, -7).length, -7);
    EXPECT_EQ(CallWithCapacity(lastError, 50).text, "No Error") << "reading does not reset the text";
}

// A null Length is no capacity: both copies leave the buffer alone and log nothing.
TEST_F(TextCopyTest, NullLengthCopiesNothing) {
    for (const char* name : {"Vorn_KRAVENT_VersionDLL", "Vorn_KRAVENT_GetLastError"}) {
        SCOPED_TRACE(name);
        std::array<char, 8> buffer;
        buffer.fill('#');
        Function(name)(buffer.data(), nullptr);
        EXPECT_EQ(std::string(buffer.data(), buffer.size()), "########");
    }
    EXPECT_EQ(LastError(library_), "No Error");
}

// The null-buffer failure of each copy: Length is not read, the message becomes the last
// error and is logged without an address.
TEST_P(NullBufferTest, IsLoggedAndBecomesTheLastError) {
    const std::string& message = *GetParam().message;
    Function(GetParam().exportName)(nullptr, nullptr);

    EXPECT_EQ(LastError(library_), message);
    const Copy cut = CallWithCapacity(Function("Vorn_KRAVENT_GetLastError"), 10);
    EXPECT_EQ(cut.text, message.substr(0, 10));
    EXPECT_EQ(cut.length, 10);

    const std::string log = kravent::testing::WithoutTimes(kravent::testing::ReadFile(library_.LogPath()));
    EXPECT_EQ(log,
              "Error Log File for the \"Vorn-KRAVENT_DLLInterface.dll\"\t\t"
              "Vorn KRAVENT DC-motor module interface\r\n\r\n"
              "Date\t\tHour\t\tIP Address\tError description\r\n\r\n"
              "D\tT\tNone           \t" +
                  message + "\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    BothCopies, NullBufferTest,
    ::testing::Values(NullBufferCase{"Version", "Vorn_KRAVENT_VersionDLL", &kNullVersionBuffer},
                      NullBufferCase{"LastError", "Vorn_KRAVENT_GetLastError", &kNullErrorBuffer},
                      NullBufferCase{"LastErrorAlias", "_Vorn_KRAVENT_GetLastError", &kNullErrorBuffer}),
    [](const ::testing::TestParamInfo<NullBufferCase>& test) { return std::string(test.param.testName); });

TEST(LastErrorTextTest, IsOneTextForTheWholeLibraryAndNotClearedBySuccess) {
    LoadedLibrary library;
    library.Get<CopyText>("Vorn_KRAVENT_GetLastError")(nullptr, nullptr);
    library.Get<CopyText>("Vorn_KRAVENT_VersionDLL")(nullptr, nullptr);
    EXPECT_EQ(LastError(library), kNullVersionBuffer);
    EXPECT_EQ(CallWithCapacity(library.Get<CopyText>("Vorn_KRAVENT_VersionDLL"), 100).text, kVersion);
    EXPECT_EQ(LastError(library), kNullVersionBuffer) << "a success leaves the last error in place";
}

}  // namespace

namespace {

std::string ExecutableDirectory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

TEST(LogLocationTest, LibraryLoadedUnderAnotherFileNameLogsBesideTheExecutable) {
    LoadedLibrary library("libRenamedInterface.so");
    const std::filesystem::path besideExecutable =
        std::filesystem::path(ExecutableDirectory()) / "Error_Vorn-KRAVENT_DLLInterface.log";
    library.Get<CopyText>("Vorn_KRAVENT_GetLastError")(nullptr, nullptr);
    EXPECT_FALSE(std::filesystem::exists(library.LogPath()));
    EXPECT_TRUE(kravent::testing::ReadFile(besideExecutable).ends_with("None           \t" + kNullErrorBuffer + "\r\n\r\n"));
}

}  // namespace
