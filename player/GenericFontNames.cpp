#include "player/GenericFontNames.h"

#include <zlib.h>

#include <array>
#include <cstdint>

namespace player {

namespace {

constexpr size_t kHeaderSize = 8; // signature, version, unpacked length

uint32_t LittleEndian32(std::string_view bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
    }
    return value;
}

// The movie's tags and everything after the header, unpacked; nothing when
// the movie is damaged or larger than the bound.
std::optional<std::string> Body(std::string_view movie) {
    const uint32_t length = LittleEndian32(movie.substr(4, 4));
    if (movie[0] == 'F') {
        return movie.size() > kMaxRespeltMovie ? std::nullopt : std::optional(std::string(movie.substr(kHeaderSize)));
    }
    if (length < kHeaderSize || length > kMaxRespeltMovie) {
        return std::nullopt;
    }
    std::string body(length - kHeaderSize, '\0');
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return std::nullopt;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(movie.data() + kHeaderSize));
    stream.avail_in = static_cast<uInt>(movie.size() - kHeaderSize);
    stream.next_out = reinterpret_cast<Bytef*>(body.data());
    stream.avail_out = static_cast<uInt>(body.size());
    const int result = inflate(&stream, Z_FINISH);
    const size_t unpacked = body.size() - stream.avail_out;
    inflateEnd(&stream);
    // A movie shorter than its header says still plays, as far as it goes.
    if (result != Z_STREAM_END && result != Z_BUF_ERROR && !(result == Z_OK && stream.avail_out == 0)) {
        return std::nullopt;
    }
    body.resize(unpacked);
    return body;
}

// Replaces every `from` in `text` by `to`, of the same length; true when any was.
bool ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    bool replaced = false;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1)) {
        text.replace(at, from.size(), to);
        replaced = true;
    }
    return replaced;
}

// Whole strings only, as movies hold them: between zero bytes (ActionScript 2
// strings and constants), after their length (font names, ActionScript 3
// strings, with or without their zero byte), and quoted (HTML text's face
// attributes), so that a longer name holding one ("my_sans") stays.
bool Respell(std::string& body, const std::string& name, const std::string& respelt) {
    const std::string zero(1, '\0');
    const auto length = [](size_t size) { return std::string(1, static_cast<char>(size)); };
    bool replaced = false;
    const std::array<std::pair<std::string, std::string>, 3> wrappers = {{
        {zero, zero},
        {"\"", "\""},
        {"'", "'"},
    }};
    for (const auto& [before, after] : wrappers) {
        replaced |= ReplaceAll(body, before + name + after, before + respelt + after);
    }
    replaced |= ReplaceAll(body, length(name.size() + 1) + name + zero, length(name.size() + 1) + respelt + zero);
    replaced |= ReplaceAll(body, length(name.size()) + name, length(name.size()) + respelt);
    return replaced;
}

} // namespace

std::optional<std::string> RespellGenericFontNames(std::string_view movie) {
    if (movie.size() < kHeaderSize || (movie[0] != 'F' && movie[0] != 'C') || movie.substr(1, 2) != "WS") {
        return std::nullopt;
    }
    auto body = Body(movie);
    if (!body) {
        return std::nullopt;
    }
    bool respelt = false;
    for (const auto& [name, newName] : {std::pair<std::string, std::string>{"_sans", "_Sans"},
                                        {"_serif", "_Serif"},
                                        {"_typewriter", "_Typewriter"}}) {
        respelt |= Respell(*body, name, newName);
    }
    if (!respelt) {
        return std::nullopt;
    }
    const uint32_t length = static_cast<uint32_t>(kHeaderSize + body->size());
    std::string out = "FWS";
    out += movie[3];
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>(length >> (8 * i) & 0xFF);
    }
    return out + *body;
}

} // namespace player
