// A Flash movie's body, everything after its 8-byte header, unpacked: "FWS"
// movies are stored plain, "CWS" movies zlib-compressed, "ZWS" movies
// LZMA-compressed. Display-free, so that it is tested and fuzzed on its own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace player {

inline constexpr size_t kMovieHeaderSize = 8; // signature, version, unpacked length

// The body of `movie`, whose signature the caller has checked; nothing when
// it is damaged or its unpacked length (header included) is over `bound`. A
// compressed movie cut short gives what it holds: it plays as far as that.
std::optional<std::string> UnpackedMovieBody(std::string_view movie, size_t bound);

} // namespace player
