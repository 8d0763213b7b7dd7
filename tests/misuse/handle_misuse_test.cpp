// Every exported function that takes a ComID, called with a handle the library does
// not hold (never opened, or already closed): refused with the null-handle message,
// nothing else happens. The list of functions comes from the public header itself.
#include <dlfcn.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/misuse/misuse_host.h"

namespace kravent::misuse {
namespace {

const std::string kNullHandle = "Pointer on ethernet communication not valid. ComID = NULL\t(";

struct Declaration {
    std::string name;
    std::string parameters;  // e.g. "int32_t Value, ComID Com"
};

// The declarations of the public header whose last parameter is a ComID by value.
std::vector<Declaration> FunctionsTakingComId() {
    std::ifstream file(KRAVENT_PUBLIC_HEADER);
    std::stringstream text;
    text << file.rdbuf();
    const std::string header = text.str();
    std::vector<Declaration> result;
    const std::string marker = "VORN_KRAVENT_CALL Vorn_KRAVENT_";
    for (std::size_t at = header.find(marker); at != std::string::npos; at = header.find(marker, at + 1)) {
        const std::size_t nameStart = at + marker.size() - std::string("Vorn_KRAVENT_").size();
        const std::size_t open = header.find('(', nameStart);
        const std::size_t close = header.find(')', open);
        if (open == std::string::npos || close == std::string::npos) break;
        Declaration d{header.substr(nameStart, open - nameStart), header.substr(open + 1, close - open - 1)};
        if (d.name.find_first_of(" *") != std::string::npos) continue;  // a function-pointer typedef
        if (d.parameters.ends_with("ComID Com")) result.push_back(d);
    }
    return result;
}

// Calls `d` with `com`, any further arguments valid. Returns the low byte of its result.
bool Call(const Declaration& d, ComID com) {
    void* symbol = dlsym(RTLD_DEFAULT, d.name.c_str());
    EXPECT_NE(symbol, nullptr) << d.name;
    if (symbol == nullptr) return true;
    const std::string first = d.parameters.substr(0, d.parameters.find(' '));
    static int32_t ints[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    static std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    static char text[17] = "ABCDEFGHIJKLMNOP";
    if (d.parameters == "ComID Com") return reinterpret_cast<bool (*)(ComID)>(symbol)(com);
    if (first == "bool") return reinterpret_cast<bool (*)(bool, ComID)>(symbol)(false, com);
    if (first == "float") return reinterpret_cast<bool (*)(float, ComID)>(symbol)(1.5f, com);
    if (d.parameters.starts_with("int32_t ")) return reinterpret_cast<bool (*)(int32_t, ComID)>(symbol)(10, com);
    if (d.parameters.starts_with("const int32_t *")) return reinterpret_cast<bool (*)(const int32_t*, ComID)>(symbol)(ints, com);
    if (d.parameters.starts_with("const uint8_t *")) return reinterpret_cast<bool (*)(const std::uint8_t*, ComID)>(symbol)(bytes, com);
    if (d.parameters.starts_with("const char *")) return reinterpret_cast<bool (*)(const char*, ComID)>(symbol)(text, com);
    ADD_FAILURE() << "no call form for " << d.name << "(" << d.parameters << ")";
    return true;
}

// Refused, with the null-handle message of the function, and the previous text replaced.
void ExpectEveryFunctionRefuses(ComID com) {
    const auto functions = FunctionsTakingComId();
    ASSERT_GT(functions.size(), 90u);
    for (const Declaration& d : functions) {
        // A known last error before each call, of another function than the one called.
        const bool primeWithReset = d.name == "Vorn_KRAVENT_SendData_MAINPORT";
        primeWithReset ? Vorn_KRAVENT_ResetAllRegisterRead(nullptr) : Vorn_KRAVENT_SendData_MAINPORT(nullptr);
        const std::string primed = LastError();
        if (d.name == "Vorn_KRAVENT_GetStateCommunication") {
            EXPECT_EQ(Vorn_KRAVENT_GetStateCommunication(com), 0);
            EXPECT_EQ(LastError(), primed) << "it logs nothing";
            continue;
        }
        EXPECT_FALSE(Call(d, com)) << d.name;
        const std::string error = LastError();
        EXPECT_TRUE(error.starts_with(kNullHandle) && error.ends_with(")") && error != primed)
            << d.name << ": " << error;
    }
}

TEST(HandleMisuse, NeverOpenedHandleIsRefusedByEveryFunction) {
    int notAConnection = 0;
    ExpectEveryFunctionRefuses(&notAConnection);
}

// Also once the next connection has been opened, to another module: the stale handle
// never names it, whatever memory the library reused for it.
TEST(HandleMisuse, ClosedHandleIsRefusedByEveryFunction) {
    auto module = StartModule();
    auto next = StartModule("127.0.0.2");
    Host host;
    ComID com = OpenConnected(host);
    ASSERT_NE(com, nullptr);
    ComID stale = com;
    ASSERT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
    EXPECT_EQ(com, nullptr);

    ComID other = OpenConnected(host, 2);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, stale);
    EXPECT_FALSE(Vorn_KRAVENT_Write_INPUT(777000, stale));
    EXPECT_EQ(LastError(), kNullHandle + "Vorn_KRAVENT_Write_INPUT)");
    EXPECT_FALSE(Vorn_KRAVENT_SendData_MAINPORT(stale));
    EXPECT_EQ(LastError(), kNullHandle + "Vorn_KRAVENT_SendData_MAINPORT)");
    ExpectEveryFunctionRefuses(stale);
    // Closing it again through a copy of the stale handle changes nothing.
    EXPECT_TRUE(Vorn_KRAVENT_CloseConnection(&stale));
    EXPECT_EQ(stale, nullptr);
    // The other connection is still open, and its module has received no write.
    ASSERT_TRUE(ReadNameAnswered(host, other));
    for (const sim::ReceivedFrame& frame : next->ReceivedFrames())
        EXPECT_FALSE(frame.bytes.size() > 1 && frame.bytes[1] == 0x22) << "a write request reached the other module";
    Vorn_KRAVENT_CloseConnection(&other);
}

}  // namespace
}  // namespace kravent::misuse
