// Address arrays (one int per byte, element 0 first) and their dotted text.
#pragma once

#include <cstdint>
#include <string>

namespace kravent {

inline constexpr int kIpAddressBytes = 4;
inline constexpr int kMacAddressBytes = 6;

// Valid when every one of the `count` elements lies in 0..255.
bool IsByteArrayValid(const std::int32_t* elements, int count);

// Each element in signed decimal, joined by "." (unchecked arrays give texts like 10.-1.300.0).
std::string IPArrayToText(const std::int32_t* ip);

// Fills elements 0..3 from dotted text; an empty or non-decimal part gives -1, and a
// text with fewer than three dots leaves the remaining elements as they were.
void IPTextToArray(const char* text, std::int32_t* ip);

}  // namespace kravent
