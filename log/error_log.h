// The one failure-reporting operation of the library and its last-error text.
#pragma once

#include <cstdint>
#include <string_view>

namespace kravent {

// The IP text of failures that concern no module; the log shows it as "None".
inline constexpr std::string_view kNoAddress = "0";

// Makes `message` the last-error text and appends a dated record with `ipText` to the
// error log file beside the library. Returns false when the logger itself failed.
bool WriteErrorLog(std::string_view message, std::string_view ipText);

// Copies the last-error text into a host buffer under the host-buffer contract: at
// most *length characters, no terminating zero; *length becomes the text's length
// when the whole text fits.
void CopyLastErrorText(char* buffer, std::int32_t* length);

}  // namespace kravent
