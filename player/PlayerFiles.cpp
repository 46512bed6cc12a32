#include "player/PlayerFiles.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace player {

namespace fs = std::filesystem;

namespace {

bool IsPlayerFolder(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / "page.html", error) &&
           fs::is_regular_file(folder / "ruffle" / "ruffle.js", error);
}

const char* MimeType(const fs::path& path) {
    static const struct {
        const char* extension;
        const char* type;
    } kTypes[] = {
        {".html", "text/html"},     {".js", "text/javascript"},
        {".wasm", "application/wasm"}, // so that it compiles while streaming
        {".swf", "application/x-shockwave-flash"},
        {".xml", "text/xml"},       {".json", "application/json"},
        {".css", "text/css"},       {".txt", "text/plain"},
        {".jpg", "image/jpeg"},     {".jpeg", "image/jpeg"},
        {".png", "image/png"},      {".gif", "image/gif"},
        {".mp3", "audio/mpeg"},     {".flv", "video/x-flv"},
    };
    std::string extension = path.extension().string();
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const auto& entry : kTypes) {
        if (extension == entry.extension) {
            return entry.type;
        }
    }
    return "application/octet-stream";
}

// `relative` inside `root`, both with links resolved; nullopt when the result
// lies outside root or is not a regular file.
std::optional<std::string> Inside(const std::string& root, const std::string& relative) {
    std::error_code error;
    const fs::path base = fs::canonical(root, error);
    if (error) {
        return std::nullopt;
    }
    const fs::path target = fs::canonical(base / fs::path(relative).relative_path(), error);
    if (error || !fs::is_regular_file(target, error)) {
        return std::nullopt;
    }
    const auto [baseEnd, targetAt] = std::mismatch(base.begin(), base.end(), target.begin(), target.end());
    if (baseEnd != base.end()) {
        return std::nullopt;
    }
    return target.string();
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

std::vector<std::string> PlayerFolderCandidates(const std::string& executable, const char* dataDirs) {
    std::vector<std::string> candidates;
    const auto add = [&candidates](const fs::path& folder) {
        const std::string text = folder.lexically_normal().string();
        if (std::find(candidates.begin(), candidates.end(), text) == candidates.end()) {
            candidates.push_back(text);
        }
    };
    if (!executable.empty()) {
        const fs::path folder = fs::path(executable).parent_path();
        add(folder / "player");
        add(folder.parent_path() / "share" / "kest" / "player");
    }
    add(KEST_INSTALL_PLAYER_DIR);
    const std::string dirs = dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share";
    for (size_t start = 0; start <= dirs.size();) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const fs::path dir = dirs.substr(start, end - start);
        if (dir.is_absolute()) { // relative entries are invalid and ignored
            add(dir / "kest" / "player");
        }
        start = end + 1;
    }
    add(KEST_BUILD_PLAYER_DIR);
    return candidates;
}

std::optional<std::string> FindPlayerFolder() {
    const auto candidates = PlayerFolderCandidates(platform::ExecutablePath(), std::getenv("XDG_DATA_DIRS"));
    for (const auto& folder : candidates) {
        if (IsPlayerFolder(folder)) {
            return folder;
        }
    }
    std::string tried;
    for (const auto& folder : candidates) {
        tried += "\n  " + folder;
    }
    std::fprintf(stderr,
                 "kest: the movie player's files (page.html and ruffle/ruffle.js) are in none "
                 "of these folders:%s\n",
                 tried.c_str());
    return std::nullopt;
}

PlayerRoutes::PlayerRoutes(std::string folder) : playerFolder(std::move(folder)) {}

void PlayerRoutes::SetContentFolder(const std::string& folder) { contentFolder = folder; }

std::optional<ServedFile> PlayerRoutes::Resolve(std::string_view uriPath) const {
    const auto decoded = DecodeUriPath(uriPath);
    if (!decoded) {
        return std::nullopt;
    }
    static constexpr std::string_view kContent = "/content/";
    static constexpr std::string_view kRuffle = "/ruffle/";
    std::optional<std::string> found;
    if (decoded->starts_with(kContent)) {
        if (contentFolder.empty()) {
            return std::nullopt;
        }
        const std::string relative = decoded->substr(kContent.size());
        found = Inside(contentFolder, relative);
        // Movies name files in Unicode; the package keeps the code page's bytes.
        if (!found) {
            found = Inside(contentFolder, platform::Utf8ToAnsi(relative));
        }
    } else if (decoded->starts_with(kRuffle)) {
        found = Inside(playerFolder + "/ruffle", decoded->substr(kRuffle.size()));
    } else if (*decoded == "/page.html" || *decoded == "/shim.js") {
        found = Inside(playerFolder, decoded->substr(1));
    }
    if (!found) {
        return std::nullopt;
    }
    return ServedFile{*found, MimeType(*found)};
}

std::string PlayerRoutes::MovieUrl(const std::string& pathOrUrl) {
    if (pathOrUrl.find("://") != std::string::npos) {
        return pathOrUrl;
    }
    const fs::path movie = fs::absolute(pathOrUrl).lexically_normal();
    const fs::path current = fs::path(platform::CurrentDirectory()).lexically_normal();
    fs::path relative = movie.lexically_relative(current);
    if (current == current.root_path() || relative.empty() || *relative.begin() == "..") {
        SetContentFolder(movie.parent_path().string());
        relative = movie.filename();
    } else {
        SetContentFolder(current.string());
    }
    return std::string(kPlayerOrigin) + "/content/" + EncodeUriPath(relative.string());
}

std::optional<std::string> DecodeUriPath(std::string_view encoded) {
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '%') {
            if (i + 2 >= encoded.size()) {
                return std::nullopt;
            }
            const int high = HexValue(encoded[i + 1]);
            const int low = HexValue(encoded[i + 2]);
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (c == '\0') {
            return std::nullopt;
        }
        decoded += c;
    }
    return decoded;
}

std::string EncodeUriPath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

std::string LanguageTagFromLocale(std::string_view locale) {
    // "ll" or "lll", optionally "_CC", then ".codeset" or "@modifier".
    const std::string_view name = locale.substr(0, locale.find_first_of(".@"));
    const size_t underscore = name.find('_');
    const std::string_view language = name.substr(0, underscore);
    const std::string_view region =
        underscore == std::string_view::npos ? std::string_view() : name.substr(underscore + 1);
    const auto all = [](std::string_view text, int (*test)(int)) {
        for (const char c : text) {
            if (!test(static_cast<unsigned char>(c))) {
                return false;
            }
        }
        return true;
    };
    const bool languageOk = (language.size() == 2 || language.size() == 3) && all(language, std::islower);
    const bool regionOk = region.empty() || (region.size() == 2 && all(region, std::isupper));
    if (!languageOk || !regionOk) {
        return "en-US";
    }
    return region.empty() ? std::string(language) : std::string(language) + "-" + std::string(region);
}

} // namespace player
