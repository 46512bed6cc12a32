#include "platform/UserFolders.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

namespace platform {

namespace fs = std::filesystem;

namespace {

struct KnownFolder {
    const char* key; // as user-dirs.dirs and the environment name it
    const char* fallback;
};

constexpr KnownFolder kKnownFolders[] = {
    {"XDG_DESKTOP_DIR", "Desktop"},    {"XDG_DOCUMENTS_DIR", "Documents"},
    {"XDG_DOWNLOAD_DIR", "Downloads"}, {"XDG_MUSIC_DIR", "Music"},
    {"XDG_PICTURES_DIR", "Pictures"},  {"XDG_VIDEOS_DIR", "Videos"},
};

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

// A value of user-dirs.dirs: a shell string in double quotes, "$HOME" or an
// absolute path first, backslash escapes taken literally.
std::optional<std::string> ParseValue(std::string_view value, const std::string& home) {
    if (value.size() < 2 || value.front() != '"') {
        return std::nullopt;
    }
    std::string text;
    for (size_t at = 1; at < value.size() && value[at] != '"'; ++at) {
        if (value[at] == '\\' && at + 1 < value.size()) {
            ++at;
        }
        text += value[at];
    }
    static constexpr std::string_view kHome = "$HOME";
    if (text.starts_with(kHome) && (text.size() == kHome.size() || text[kHome.size()] == '/')) {
        return home + text.substr(kHome.size());
    }
    return text.starts_with('/') ? std::optional<std::string>(text) : std::nullopt;
}

// KEY="value" lines of user-dirs.dirs.
std::map<std::string, std::string> ReadUserDirs(const std::string& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string path =
        (config != nullptr && *config == '/' ? std::string(config) : home + "/.config") +
        "/user-dirs.dirs";
    std::map<std::string, std::string> values;
    FileStream file;
    if (!file.Open(path.c_str(), "rb")) {
        return values;
    }
    std::string text;
    char buffer[1024];
    for (size_t read; (read = file.Read(buffer, sizeof buffer)) > 0;) {
        text.append(buffer, read);
    }
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = std::string_view(text).substr(start, end - start);
        start = end + 1;
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || line.starts_with('#')) {
            continue;
        }
        if (auto value = ParseValue(line.substr(equals + 1), home)) {
            values[std::string(line.substr(0, equals))] = std::move(*value);
        }
    }
    return values;
}

std::string Normal(const std::string& path) {
    std::string normal = fs::path(path).lexically_normal().string();
    if (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

// True when `folder` is `home` or holds it.
bool HoldsHome(const std::string& folder, const std::string& home) {
    return home.starts_with(folder) &&
           (home.size() == folder.size() || folder == "/" || home[folder.size()] == '/');
}

} // namespace

std::vector<std::string> ReaderFolders() {
    const std::string home = HomeFolder();
    const auto configured = ReadUserDirs(home);
    std::vector<std::string> folders;
    for (const KnownFolder& known : kKnownFolders) {
        std::string folder;
        if (const char* set = std::getenv(known.key); set != nullptr && *set != '\0') {
            folder = set;
        } else if (const auto value = configured.find(known.key); value != configured.end()) {
            folder = value->second;
        } else if (!home.empty()) {
            folder = home + "/" + known.fallback;
        }
        folder = Normal(folder);
        if (folder.starts_with('/') && !HoldsHome(folder, Normal(home.empty() ? "/" : home))) {
            folders.push_back(folder);
        }
    }
    return folders;
}

} // namespace platform
