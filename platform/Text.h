// Text encodings: the host's 8-bit encoding (the locale's code set), the
// magazines' code page 936, character stepping through a document by its
// encoding, and conversion between them and the Unicode (UTF-8) of the toolkit
// and the player.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// How a document's bytes make characters.
enum class Encoding : uint8_t {
    Cp936, // GBK: a lead byte 0x81-0xFE and the byte after it
    Utf8,
};

// True for the first byte of a two-byte character of code page 936.
inline bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Bytes of the character at `at`, never more than `left` and never over a 0
// byte. A byte that begins no whole character of the encoding is one
// character, so a step never swallows a byte of ASCII in UTF-8.
inline int32_t CharLength(const char* at, Encoding encoding,
                          int32_t left = std::numeric_limits<int32_t>::max()) {
    const auto lead = static_cast<unsigned char>(at[0]);
    if (lead < 0x80) {
        return 1;
    }
    if (encoding == Encoding::Cp936) {
        return IsLeadByte(lead) && left >= 2 && at[1] != 0 ? 2 : 1;
    }
    if (left < 2) {
        return 1;
    }
    const int32_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 1;
    if (length > left) {
        return 1;
    }
    for (int32_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(at[i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

bool IsValidUtf8(std::string_view text);

// Offset of the first `wanted` ASCII byte that begins a character of `text`
// (not the second byte of one), or npos.
size_t FindCharacter(std::string_view text, char wanted, Encoding encoding);

// Code page 936 to UTF-8. A byte sequence that is not valid GBK becomes U+FFFD.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 to code page 936. A character GBK cannot hold, or a byte that is not
// valid UTF-8, becomes '?', as the platform's default character does.
std::string Utf8ToAnsi(std::string_view utf8);

// The host's encoding, as iconv names it, for the locale's code set: the
// plain C locale's ASCII counts as UTF-8, and GBK and GB2312 as code page 936.
std::string HostEncodingFor(const char* codeSet);

// Takes the locale from the environment and makes its code set the host's
// encoding. Called once at start-up; until then the host speaks UTF-8.
void ChooseHostEncoding();
// Makes `codeSet` (as nl_langinfo names it) the host's encoding.
void SetHostEncoding(const char* codeSet);
const std::string& HostEncoding();
bool HostIsUtf8();
// How the host's text is stepped by characters: by code page 936 under the
// GBK family, where the second byte of a character may be '\\'; else as
// UTF-8, which never takes an ASCII byte into a character.
Encoding HostStepping();

// Between the host's encoding and UTF-8; unchanged when the host speaks UTF-8.
std::string HostToUtf8(std::string_view host);
std::string Utf8ToHost(std::string_view utf8);

// Converts between two encodings that iconv names. A byte sequence that is not
// valid, or a character the target cannot hold, becomes `replacement`.
std::string ConvertText(std::string_view text, const char* from, const char* to,
                        std::string_view replacement);
// The same, or nothing when any part of the text cannot be converted.
std::optional<std::string> ConvertExactly(std::string_view text, const char* from, const char* to);

// Text for one line of a log or terminal: control bytes and the backslash
// become escapes ("\x0a", "\\"), so the text can neither break the line nor
// steer a terminal; other characters stay as they are. Text over `maxBytes`
// is cut at a character of the host's encoding and says how long it was.
std::string PrintableText(std::string_view text, size_t maxBytes = std::string_view::npos);
// How much of a movie's text a log line shows: a movie may send megabytes.
inline constexpr size_t kLoggedTextBytes = 1024;

} // namespace platform
