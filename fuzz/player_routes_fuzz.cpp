// Resolves arbitrary request paths from the player's web view against a small
// tree with links pointing out, and stops when a path outside the served
// folders, or a decode that does not round-trip, comes back.
#include "player/PlayerFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Tree {
    std::string base;
    std::string player;
    std::string content;
};

void Write(const fs::path& path) {
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fclose(file);
    }
}

const Tree& Folders() {
    static const Tree tree = [] {
        std::string pattern = (fs::temp_directory_path() / "kest-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        const fs::path base(pattern);
        fs::create_directories(base / "player/ruffle");
        fs::create_directories(base / "player/scripts");
        fs::create_directories(base / "content/a");
        Write(base / "player/page.html");
        Write(base / "player/scripts/player.js");
        Write(base / "player/ruffle/core.wasm");
        Write(base / "content/a/m.swf");
        Write(base / "secret");
        fs::create_symlink(base / "secret", base / "content/out");
        fs::create_symlink(base, base / "content/a/up");
        return Tree{base.string(), (base / "player").string(), (base / "content").string()};
    }();
    return tree;
}

bool Below(const std::string& path, const std::string& folder) {
    return path.compare(0, folder.size() + 1, folder + "/") == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto decoded = player::DecodeUriPath(player::EncodeUriPath(input));
    if (input.find('\0') == std::string::npos && decoded != input) {
        std::abort();
    }
    const Tree& tree = Folders();
    const player::PlayerRoutes routes(tree.player, package::ContentFiles(tree.content));
    if (const auto file = routes.Resolve(input)) {
        if (!Below(file->path, tree.player) && !Below(file->path, tree.content)) {
            std::fprintf(stderr, "served outside its folders: %s\n", file->path.c_str());
            std::abort();
        }
    }
    // The built-in files: only resources below the player's own.
    static const player::PlayerRoutes builtIn("");
    if (const auto file = builtIn.Resolve(input)) {
        if (!file->embedded || !Below(file->path, player::kEmbeddedPlayerFiles) ||
            file->path.find("/..") != std::string::npos) {
            std::fprintf(stderr, "served outside the built-in files: %s\n", file->path.c_str());
            std::abort();
        }
    }
    (void)player::LanguageTagFromLocale(input);
    return 0;
}
