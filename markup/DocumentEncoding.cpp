#include "markup/DocumentEncoding.h"

#include "markup/TokenScanner.h"

#include <cstring>
#include <string_view>
#include <strings.h>

namespace markup {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kDeclarationOpen = "<?xml";

bool IsName(std::string_view value, const char* name) {
    return value.size() == std::strlen(name) && strncasecmp(value.data(), name, value.size()) == 0;
}

std::string_view SkipSpace(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsMarkupSpace(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    return text.substr(at);
}

// The value of the XML declaration's encoding attribute; empty without one.
std::string_view DeclaredEncoding(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    text = SkipSpace(text);
    if (!text.starts_with(kDeclarationOpen) || text.size() == kDeclarationOpen.size() ||
        !IsMarkupSpace(static_cast<unsigned char>(text[kDeclarationOpen.size()]))) {
        return {};
    }
    text = text.substr(0, text.find("?>"));
    for (size_t at = text.find("encoding"); at != std::string_view::npos;
         at = text.find("encoding", at + 1)) {
        if (!IsMarkupSpace(static_cast<unsigned char>(text[at - 1]))) {
            continue;
        }
        std::string_view rest = SkipSpace(text.substr(at + 8));
        if (!rest.starts_with('=')) {
            continue;
        }
        rest = SkipSpace(rest.substr(1));
        if (rest.empty() || (rest[0] != '"' && rest[0] != '\'')) {
            continue;
        }
        const size_t close = rest.find(rest[0], 1);
        if (close != std::string_view::npos) {
            return rest.substr(1, close - 1);
        }
    }
    return {};
}

} // namespace

platform::Encoding DocumentEncoding(const char* text) {
    const std::string_view whole = text;
    const std::string_view declared = DeclaredEncoding(whole);
    if (declared.empty()) {
        return platform::IsValidUtf8(whole) ? platform::Encoding::Utf8 : platform::Encoding::Cp936;
    }
    return IsName(declared, "UTF-8") || IsName(declared, "UTF8") ? platform::Encoding::Utf8
                                                                 : platform::Encoding::Cp936;
}

} // namespace markup
