#include "player/MovieBody.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>

namespace player {

namespace {

// A "ZWS" movie's header goes on after the common eight bytes: the
// compressed length, which is not needed, and the LZMA properties (a byte of
// literal and position bits, then the dictionary size). The data that follows
// has no end marker; the unpacked length tells where it ends.
constexpr size_t kLzmaHeaderSize = kMovieHeaderSize + 4;
constexpr size_t kLzmaPropertiesSize = 5;
// The smallest dictionary the LZMA decoder takes.
constexpr uint32_t kLzmaMinDictionary = 4096;

uint32_t LittleEndian32(std::string_view bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
    }
    return value;
}

std::optional<std::string> Inflated(std::string_view packed, std::string body) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return std::nullopt;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(body.data());
    stream.avail_out = static_cast<uInt>(body.size());
    const int result = inflate(&stream, Z_FINISH);
    const size_t unpacked = body.size() - stream.avail_out;
    inflateEnd(&stream);
    if (result != Z_STREAM_END && result != Z_BUF_ERROR &&
        !(result == Z_OK && stream.avail_out == 0)) {
        return std::nullopt;
    }
    body.resize(unpacked);
    return body;
}

// The decoder of the ".lzma" format is given the header that format has
// (properties, then the unpacked size as 64 bits), made from the movie's. Its
// dictionary is cut to the body's size, which no reference can reach past,
// so that a movie cannot make it allocate more than the bound allows.
std::optional<std::string> LzmaDecoded(std::string_view properties, std::string_view packed,
                                       std::string body) {
    std::string header(properties);
    const uint32_t dictionary =
        std::min(LittleEndian32(properties.substr(1)),
                 std::max(static_cast<uint32_t>(body.size()), kLzmaMinDictionary));
    const uint64_t size = body.size();
    for (int i = 0; i < 4; ++i) {
        header[1 + static_cast<size_t>(i)] = static_cast<char>(dictionary >> (8 * i) & 0xFF);
    }
    for (int i = 0; i < 8; ++i) {
        header += static_cast<char>(size >> (8 * i) & 0xFF);
    }
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&stream, UINT64_MAX) != LZMA_OK) {
        return std::nullopt;
    }
    stream.next_out = reinterpret_cast<uint8_t*>(body.data());
    stream.avail_out = body.size();
    lzma_ret result = LZMA_OK;
    for (const std::string_view input : {std::string_view(header), packed}) {
        stream.next_in = reinterpret_cast<const uint8_t*>(input.data());
        stream.avail_in = input.size();
        if ((result = lzma_code(&stream, LZMA_RUN)) != LZMA_OK) {
            break;
        }
    }
    const size_t unpacked = body.size() - stream.avail_out;
    lzma_end(&stream);
    // Still going when the input ends: the movie was cut short.
    if (result != LZMA_STREAM_END && result != LZMA_OK) {
        return std::nullopt;
    }
    body.resize(unpacked);
    return body;
}

} // namespace

std::optional<std::string> UnpackedMovieBody(std::string_view movie, size_t bound) {
    if (movie.size() < kMovieHeaderSize) {
        return std::nullopt;
    }
    if (movie[0] == 'F') {
        return movie.size() > bound ? std::nullopt
                                    : std::optional(std::string(movie.substr(kMovieHeaderSize)));
    }
    const uint32_t length = LittleEndian32(movie.substr(4, 4));
    if (length < kMovieHeaderSize || length > bound) {
        return std::nullopt;
    }
    std::string body(length - kMovieHeaderSize, '\0');
    if (movie[0] == 'C') {
        return Inflated(movie.substr(kMovieHeaderSize), std::move(body));
    }
    if (movie.size() < kLzmaHeaderSize + kLzmaPropertiesSize) {
        return std::nullopt;
    }
    return LzmaDecoded(movie.substr(kLzmaHeaderSize, kLzmaPropertiesSize),
                       movie.substr(kLzmaHeaderSize + kLzmaPropertiesSize), std::move(body));
}

} // namespace player
