// Feeds arbitrary files to what the player adapts for movies of the original
// platform, and stops when a respelt movie's length field disagrees with its
// size (or a plain one changes size), or converted text is no UTF-8.
#include "platform/Text.h"
#include "player/CodePageText.h"
#include "player/GenericFontNames.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto movie = player::RespellGenericFontNames(input)) {
        uint32_t length = 0;
        for (int i = 3; i >= 0; --i) {
            length = length << 8 | static_cast<unsigned char>((*movie)[4 + static_cast<size_t>(i)]);
        }
        if (!movie->starts_with("FWS") || length != movie->size() ||
            (input.starts_with("FWS") && movie->size() != size)) {
            std::abort();
        }
    }
    if (const auto text = player::Cp936TextAsUtf8(input)) {
        if (!platform::IsValidUtf8(*text)) {
            std::abort();
        }
    }
    return 0;
}
