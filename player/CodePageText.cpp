#include "player/CodePageText.h"

#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace player {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr char kHex[] = "0123456789ABCDEF";

bool HasByteOrderMark(std::string_view text) {
    return text.starts_with(kUtf8Mark) || text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

int HexDigit(char c) {
    const auto lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= '0' && lower <= '9') {
        return lower - '0';
    }
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool IsEscape(std::string_view text, size_t at) {
    return at + 2 < text.size() && text[at] == '%' && HexDigit(text[at + 1]) >= 0 && HexDigit(text[at + 2]) >= 0;
}

// The run of escaped bytes as GBK converted to escaped UTF-8, or nothing when
// it is UTF-8 or ASCII already, or no GBK.
std::optional<std::string> ConvertedEscapes(std::string_view bytes) {
    if (std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) ||
        platform::IsValidUtf8(bytes)) {
        return std::nullopt;
    }
    const auto utf8 = platform::ConvertExactly(bytes, "CP936", "UTF-8");
    if (!utf8) {
        return std::nullopt;
    }
    std::string escaped;
    for (const char c : *utf8) {
        const auto byte = static_cast<unsigned char>(c);
        escaped += {'%', kHex[byte >> 4], kHex[byte & 15]};
    }
    return escaped;
}

// `text` with its escaped GBK runs as escaped UTF-8; nothing when none was.
std::optional<std::string> ConvertEscapes(std::string_view text) {
    std::string out;
    bool converted = false;
    size_t copied = 0;
    for (size_t at = 0; at < text.size();) {
        if (!IsEscape(text, at)) {
            ++at;
            continue;
        }
        const size_t start = at;
        std::string bytes;
        for (; IsEscape(text, at); at += 3) {
            bytes += static_cast<char>(HexDigit(text[at + 1]) * 16 + HexDigit(text[at + 2]));
        }
        if (const auto escaped = ConvertedEscapes(bytes)) {
            out.append(text.substr(copied, start - copied)).append(*escaped);
            copied = at;
            converted = true;
        }
    }
    if (!converted) {
        return std::nullopt;
    }
    return out.append(text.substr(copied));
}

} // namespace

bool IsTextFileName(std::string_view name) {
    static constexpr std::array<std::string_view, 8> kExtensions = {".txt", ".xml", ".htm", ".html",
                                                                   ".ini", ".csv", ".json", ".css"};
    const size_t dot = name.find_last_of("./");
    if (dot == std::string_view::npos || name[dot] != '.') {
        return false;
    }
    std::string extension(name.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

std::optional<std::string> Cp936TextAsUtf8(std::string_view text) {
    if (HasByteOrderMark(text)) {
        return std::nullopt;
    }
    std::optional<std::string> utf8;
    if (!platform::IsValidUtf8(text)) {
        utf8 = platform::ConvertExactly(text, "CP936", "UTF-8");
        if (!utf8) {
            return std::nullopt; // no text of ours to mend
        }
    }
    const std::string_view converted = utf8 ? std::string_view(*utf8) : text;
    auto escapes = ConvertEscapes(converted);
    if (!utf8) {
        return escapes; // ASCII (or UTF-8) text needs no mark
    }
    return std::string(kUtf8Mark) + (escapes ? *escapes : std::string(converted));
}

} // namespace player
