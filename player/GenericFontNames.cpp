#include "player/GenericFontNames.h"

#include "player/MovieBody.h"

#include <array>
#include <cstdint>

namespace player {

namespace {

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
    if (movie.size() < kMovieHeaderSize || std::string_view("FCZ").find(movie[0]) == std::string_view::npos ||
        movie.substr(1, 2) != "WS") {
        return std::nullopt;
    }
    auto body = UnpackedMovieBody(movie, kMaxRespeltMovie);
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
    const uint32_t length = static_cast<uint32_t>(kMovieHeaderSize + body->size());
    std::string out = "FWS";
    out += movie[3];
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>(length >> (8 * i) & 0xFF);
    }
    return out + *body;
}

} // namespace player
