// Module names on the command line: printable ASCII as it is, a backslash as "\\",
// every other byte as "\xNN", so that any 16 bytes can be shown and typed back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kravent::cli {

std::string EscapeText(std::string_view bytes);
// The bytes of an escaped text; nullopt for a malformed escape.
std::optional<std::string> UnescapeText(std::string_view text);

}  // namespace kravent::cli
