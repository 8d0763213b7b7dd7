// Module names on the command line and in JSON: printable ASCII and printable UTF-8
// characters as they are, a backslash as "\\", every other byte as "\xNN", so that
// any 16 bytes can be shown and typed back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kravent::text {

std::string EscapeText(std::string_view bytes);
// The length of the well-formed UTF-8 sequence of two to four bytes at `at` that
// encodes a character from U+00A0 on, or 0.
std::size_t Utf8CharacterLength(std::string_view bytes, std::size_t at);
// The bytes of an escaped text; nullopt for a malformed escape.
std::optional<std::string> UnescapeText(std::string_view text);

}  // namespace kravent::text
