#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <strings.h>

namespace platform {
namespace {

constexpr char kUtf8[] = "UTF-8";
constexpr char kCp936[] = "CP936";
constexpr char kUnicodeReplacement[] = "\xEF\xBF\xBD";

// Chosen once at start-up, before anything crosses between movie and host.
std::string& HostEncodingSlot() {
    static std::string host = kUtf8;
    return host;
}

bool SameName(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

bool NamesUtf8(const char* name) { return SameName(name, kUtf8) || SameName(name, "UTF8"); }

// Bytes to step over when the input at `in` cannot be converted: a whole
// character of UTF-8 (it may be one the target cannot hold), else one byte,
// so that an ASCII byte after a broken lead byte is kept.
size_t FailedLength(const char* in, size_t left, bool fromUtf8) {
    if (!fromUtf8) {
        return 1;
    }
    const auto limit = static_cast<int32_t>(std::min<size_t>(left, 4));
    return static_cast<size_t>(CharLength(in, Encoding::Utf8, limit));
}

} // namespace

bool IsValidUtf8(std::string_view text) {
    const auto size = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
    for (int32_t at = 0; at < size;) {
        const int32_t length = CharLength(text.data() + at, Encoding::Utf8, size - at);
        if (length == 1 && static_cast<unsigned char>(text[static_cast<size_t>(at)]) >= 0x80) {
            return false;
        }
        at += length;
    }
    return true;
}

namespace {

// Converts with iconv; each sequence that cannot be converted becomes
// `replacement` and sets `failed`. Without a converter the text stays as it is.
std::string Convert(std::string_view text, const char* from, const char* to,
                    std::string_view replacement, bool& failed) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        failed = true;
        return std::string(text);
    }
    const bool fromUtf8 = NamesUtf8(from);
    std::string output;
    output.reserve(text.size() * 2);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char chunk[4096];
    while (inLeft > 0) {
        char* out = chunk;
        size_t outLeft = sizeof chunk;
        const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(chunk, sizeof chunk - outLeft);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ, or EINVAL for a sequence cut off at the end.
            failed = true;
            output.append(replacement);
            const size_t step = std::min(FailedLength(in, inLeft, fromUtf8), inLeft);
            in += step;
            inLeft -= step;
        }
    }
    iconv_close(converter);
    return output;
}

} // namespace

size_t FindCharacter(std::string_view text, char wanted, Encoding encoding) {
    const auto size = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
    for (int32_t at = 0; at < size;) {
        if (text[static_cast<size_t>(at)] == wanted) {
            return static_cast<size_t>(at);
        }
        at += CharLength(text.data() + at, encoding, size - at);
    }
    return std::string_view::npos;
}

std::string ConvertText(std::string_view text, const char* from, const char* to,
                        std::string_view replacement) {
    bool failed = false;
    return Convert(text, from, to, replacement, failed);
}

std::optional<std::string> ConvertExactly(std::string_view text, const char* from, const char* to) {
    bool failed = false;
    std::string converted = Convert(text, from, to, {}, failed);
    if (failed) {
        return std::nullopt;
    }
    return converted;
}

std::string AnsiToUtf8(std::string_view ansi) {
    return ConvertText(ansi, kCp936, kUtf8, kUnicodeReplacement);
}

std::string Utf8ToAnsi(std::string_view utf8) { return ConvertText(utf8, kUtf8, kCp936, "?"); }

std::string HostEncodingFor(const char* codeSet) {
    if (codeSet == nullptr || *codeSet == '\0' || NamesUtf8(codeSet) ||
        SameName(codeSet, "ANSI_X3.4-1968") || SameName(codeSet, "ASCII") ||
        SameName(codeSet, "US-ASCII")) {
        return kUtf8;
    }
    // GB2312 locales meet the same magazines; code page 936 holds all of GB2312.
    if (SameName(codeSet, "GBK") || SameName(codeSet, "GB2312") || SameName(codeSet, kCp936)) {
        return kCp936;
    }
    return codeSet;
}

void ChooseHostEncoding() {
    (void)std::setlocale(LC_ALL, "");
    SetHostEncoding(nl_langinfo(CODESET));
}

void SetHostEncoding(const char* codeSet) { HostEncodingSlot() = HostEncodingFor(codeSet); }

const std::string& HostEncoding() { return HostEncodingSlot(); }

bool HostIsUtf8() { return HostEncoding() == kUtf8; }

Encoding HostStepping() {
    return HostEncoding() == kCp936 || HostEncoding() == "GB18030" ? Encoding::Cp936
                                                                    : Encoding::Utf8;
}

std::string HostToUtf8(std::string_view host) {
    // The player takes only valid UTF-8: stray bytes (a value of raw bytes,
    // say) are replaced rather than passed on.
    if (HostIsUtf8() && IsValidUtf8(host)) {
        return std::string(host);
    }
    return ConvertText(host, HostEncoding().c_str(), kUtf8, kUnicodeReplacement);
}

std::string Utf8ToHost(std::string_view utf8) {
    if (HostIsUtf8()) {
        return std::string(utf8);
    }
    return ConvertText(utf8, kUtf8, HostEncoding().c_str(), "?");
}

std::string PrintableText(std::string_view text, size_t maxBytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    const Encoding stepping = HostStepping();
    std::string result;
    size_t at = 0;
    while (at < text.size()) {
        const auto length = static_cast<size_t>(
            CharLength(text.data() + at, stepping,
                       static_cast<int32_t>(std::min<size_t>(text.size() - at, 4))));
        if (at + length > maxBytes) {
            return result + "... (" + std::to_string(text.size()) + " bytes)";
        }
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == '\\') {
            result += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            result += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        } else {
            result.append(text.data() + at, length);
        }
        at += length;
    }
    return result;
}

} // namespace platform
