#include "address_text.h"

#include "platform/platform.h"

#include <arpa/inet.h>
#include <algorithm>
#include <climits>
#include <cstring>

namespace kravent::platform::detail {

bool MakeAddress(const char* ipText, int port, sockaddr_in& address) {
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    if (ipText == nullptr || port < 0 || port > 65535) return false;
    if (::inet_pton(AF_INET, ipText, &address.sin_addr) != 1) return false;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return true;
}

void WriteAddressText(const in_addr& address, char* text, std::size_t capacity) {
    if (text == nullptr || capacity == 0) return;
    char dotted[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &address, dotted, sizeof dotted) == nullptr) dotted[0] = '\0';
    const std::size_t length = std::min(std::strlen(dotted), capacity - 1);
    std::memcpy(text, dotted, length);
    text[length] = '\0';
}

int PollTimeout(std::uint64_t deadlineMs, bool unlimited) {
    if (unlimited) return -1;
    const std::uint64_t now = SteadyMilliseconds();
    if (now >= deadlineMs) return 0;
    const std::uint64_t left = deadlineMs - now;
    return left > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(left);
}

}  // namespace kravent::platform::detail
