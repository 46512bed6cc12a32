// The magazines' 8-bit code page (936, GBK): lead bytes, and conversion to
// and from the Unicode (UTF-8) text of the toolkit and the player.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True for the first byte of a two-byte character of code page 936.
inline bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Code page 936 to UTF-8. A byte sequence that is not valid GBK becomes U+FFFD.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to code page 936. A character GBK cannot hold, or a byte that is not
// valid UTF-8, becomes '?', as the platform's default character does.
std::string Utf8ToAnsi(std::string_view utf8);

} // namespace platform
