// Movies name the player's generic device fonts "_sans", "_serif" and
// "_typewriter". Ruffle draws these three with a built-in Latin font that has
// no Chinese, while every other device font name goes to the web engine, which
// draws it in the system's fonts with a fallback for each character. A movie
// served with these names spelt "_Sans", "_Serif" and "_Typewriter" (Ruffle
// matches the generic names by case, Flash Player did not) takes the engine's
// way too; the page maps the new spellings to the system's generic families.
// Display-free, so that it is tested and fuzzed on its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace player {

// The largest movie, unpacked, whose names are respelt; larger ones are
// served as they are.
inline constexpr size_t kMaxRespeltMovie = 64 << 20;

// `movie` (a plain "FWS", zlib-compressed "CWS" or LZMA-compressed "ZWS"
// movie) with its generic font names respelt, uncompressed; nothing when it is no such movie,
// names none of them, or is damaged or too large.
std::optional<std::string> RespellGenericFontNames(std::string_view movie);

} // namespace player
