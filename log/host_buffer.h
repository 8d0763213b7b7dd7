// The contract by which texts reach a host's character buffer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kravent {

// Copies `text` into `buffer`, whose capacity *length holds: the whole text when it
// fits, and *length becomes its length; else the first *length characters, and
// *length keeps the capacity. No terminating zero; the bytes after the copied ones
// keep their contents; a capacity of 0 or less, or no length at all, copies nothing.
inline void CopyToHostBuffer(std::string_view text, char* buffer, std::int32_t* length) {
    if (length == nullptr) return;
    const std::int32_t textLength =
        static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    if (*length >= textLength) *length = textLength;
    if (*length > 0) std::memcpy(buffer, text.data(), static_cast<std::size_t>(*length));
}

}  // namespace kravent
