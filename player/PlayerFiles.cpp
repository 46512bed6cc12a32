#include "player/PlayerFiles.h"

#include "platform/Text.h"
#include "platform/WindowsNames.h"

#include <gio/gio.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

extern "C" void kest_player_register_resource(void);

namespace player {

namespace fs = std::filesystem;

namespace {

void RegisterEmbeddedFiles() {
    static const bool registered = (kest_player_register_resource(), true);
    (void)registered;
}

// The built-in file at `relative` below the player's resources.
std::optional<std::string> Embedded(const std::string& relative) {
    RegisterEmbeddedFiles();
    const std::string path = std::string(kEmbeddedPlayerFiles) + "/" + relative;
    // Resource paths are not normalised: ".." and "//" name nothing.
    if (relative.empty() || path.find("/..") != std::string::npos || path.find("//") != std::string::npos ||
        !g_resources_get_info(path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr, nullptr, nullptr)) {
        return std::nullopt;
    }
    return path;
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

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

std::string PlayerFolderFromEnvironment() {
    const char* folder = std::getenv("KEST_PLAYER_DIR");
    return folder != nullptr ? folder : "";
}

std::optional<std::string> PlayerFilesProblem(const std::string& playerFolder) {
    if (playerFolder.empty()) {
        RegisterEmbeddedFiles();
        const std::string page = std::string(kEmbeddedPlayerFiles) + "/page.html";
        if (!g_resources_get_info(page.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr, nullptr, nullptr)) {
            return "the program carries no player page (" + page + ")";
        }
        return std::nullopt;
    }
    std::error_code error;
    for (const char* file : {"page.html", "scripts/player.js", "ruffle/ruffle.js"}) {
        if (!fs::is_regular_file(fs::path(playerFolder) / file, error)) {
            return "KEST_PLAYER_DIR (" + playerFolder + ") holds no " + file;
        }
    }
    return std::nullopt;
}

std::vector<std::string> EmbeddedWebAssembly() {
    RegisterEmbeddedFiles();
    const std::string folder = std::string(kEmbeddedPlayerFiles) + "/ruffle/";
    std::vector<std::string> files;
    char** names = g_resources_enumerate_children(folder.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
    for (char** name = names; name != nullptr && *name != nullptr; ++name) {
        if (g_str_has_suffix(*name, ".wasm")) {
            files.push_back(folder + *name);
        }
    }
    g_strfreev(names);
    return files;
}

PlayerRoutes::PlayerRoutes(std::string folder, std::optional<package::ContentFiles> files)
    : playerFolder(std::move(folder)), content(std::move(files)) {}

std::optional<std::string> PlayerRoutes::PlayerFile(const std::string& subfolder,
                                                    const std::string& relative) const {
    return playerFolder.empty()
               ? Embedded(subfolder + relative)
               : platform::RegularFileInside(playerFolder + "/" + subfolder, relative);
}

std::optional<ServedFile> PlayerRoutes::Resolve(std::string_view uriPath) const {
    const auto decoded = DecodeUriPath(uriPath);
    if (!decoded) {
        return std::nullopt;
    }
    static constexpr std::string_view kContent = "/content/";
    static constexpr std::string_view kRuffle = "/ruffle/";
    static constexpr std::string_view kScripts = "/scripts/";
    if (decoded->starts_with(kContent)) {
        const std::string relative = decoded->substr(kContent.size());
        // Movies name files in Unicode; the package keeps the code page's
        // bytes. Either may be spelled as the original platform takes names.
        const auto found = content ? content->Find({{relative, platform::Encoding::Utf8},
                                                    {platform::Utf8ToAnsi(relative), platform::Encoding::Cp936}})
                                   : std::nullopt;
        if (!found) {
            return std::nullopt;
        }
        return ServedFile{found->path, MimeType(relative), false, false, found->offset, found->size, relative};
    }
    std::optional<std::string> found;
    if (decoded->starts_with(kRuffle)) {
        found = PlayerFile("ruffle/", decoded->substr(kRuffle.size()));
    } else if (decoded->starts_with(kScripts)) {
        found = PlayerFile("scripts/", decoded->substr(kScripts.size()));
    } else if (*decoded == "/page.html") {
        found = PlayerFile("", "page.html");
    }
    std::error_code error;
    const uint64_t size = found && !playerFolder.empty() ? fs::file_size(*found, error) : 0;
    if (!found || error) {
        return std::nullopt;
    }
    return ServedFile{*found, MimeType(*found), playerFolder.empty(), true, 0, size, *decoded};
}

std::string PlayerRoutes::MovieUrl(const std::string& pathOrUrl) {
    if (pathOrUrl.find("://") != std::string::npos) {
        return pathOrUrl;
    }
    // Without a magazine, a path as given on a command line.
    const fs::path folder = content ? fs::path(content->Folder()).lexically_normal() : fs::path();
    const fs::path movie = (content ? folder / pathOrUrl : fs::absolute(pathOrUrl)).lexically_normal();
    fs::path relative = content ? movie.lexically_relative(folder) : fs::path();
    if (folder == folder.root_path() || relative.empty() || *relative.begin() == "..") {
        content.emplace(movie.parent_path().string());
        relative = movie.filename();
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
