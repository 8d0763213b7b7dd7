// The fuzz targets make no network calls: no host ever answers an echo.
#include <cstdint>

#include "platform/platform.h"

namespace kravent::platform {

bool IcmpEchoAnswered(const char*, std::uint32_t) { return false; }

}  // namespace kravent::platform
