#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// Bytes to step over when the input sequence starting at `lead` cannot be
// converted.
using SkipRule = size_t (*)(unsigned char lead);

size_t SkipOneByte(unsigned char) { return 1; }

size_t SkipUtf8Sequence(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// Converts with iconv; each input sequence that cannot be converted becomes
// `replacement` and is stepped over by `skip`.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, SkipRule skip) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::string(input);
    }
    std::string output;
    output.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char chunk[4096];
    while (inLeft > 0) {
        char* out = chunk;
        size_t outLeft = sizeof chunk;
        const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(chunk, sizeof chunk - outLeft);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ, or EINVAL for a sequence cut off at the end.
            output.append(replacement);
            const size_t step = std::min(skip(static_cast<unsigned char>(*in)), inLeft);
            in += step;
            inLeft -= step;
        }
    }
    iconv_close(converter);
    return output;
}

} // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    return Convert("UTF-8", "CP936", ansi, "\xEF\xBF\xBD", SkipOneByte);
}

std::string Utf8ToAnsi(std::string_view utf8) {
    return Convert("CP936", "UTF-8", utf8, "?", SkipUtf8Sequence);
}

} // namespace platform
