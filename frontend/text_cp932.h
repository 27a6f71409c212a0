// The front-end's Japanese texts are UTF-8 in the source; these turn them into what the system wants:
// code page 932 bytes for files, INI keys and the ANSI calls, UTF-16 for everything shown on screen.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Nerlo_B {

// CP932 bytes of UTF-8 text; empty optional when the text holds a character the table does not know
// or is not valid UTF-8. The table covers ASCII, half-width katakana and the characters our texts use.
std::optional<std::string> Utf8ToCp932(std::string_view sUtf8);

// Like Utf8ToCp932, for our own compile-time texts: a character missing from the table is a bug of
// ours, so it aborts rather than sending a wrong key to the system.
std::string Cp932Text(std::string_view sUtf8);

// UTF-16 of UTF-8 text (invalid sequences become U+FFFD).
std::u16string Utf8ToUtf16(std::string_view sUtf8);

// True when the byte starts a two-byte CP932 character.
bool IsCp932LeadByte(unsigned char c);

// The byte length of the first nCharacters characters of CP932 text (all of it when shorter).
std::size_t Cp932PrefixBytes(std::string_view sCp932, std::size_t nCharacters);

// The last nCharacters characters of CP932 text, never starting inside a two-byte character.
std::string Cp932LastCharacters(std::string_view sCp932, std::size_t nCharacters);

}  // namespace Nerlo_B
