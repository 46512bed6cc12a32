// The files the player's web view may load, and nothing else: our page and
// its scripts, Ruffle's files, and the files of the content folder. Display-free, so
// that the routing rules are tested on their own.
#pragma once

#include "package/ContentFiles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace player {

// The URI scheme and origin the web view loads everything from.
inline constexpr const char* kPlayerScheme = "kest";
inline constexpr const char* kPlayerOrigin = "kest://player";
inline constexpr const char* kPageUrl = "kest://player/page.html";

// Where the player's files are served from: built into the program (the
// resources below kEmbeddedPlayerFiles), or, for development, the folder named
// by the environment variable KEST_PLAYER_DIR (page.html, scripts/ and ruffle/,
// Ruffle's npm files).
inline constexpr const char* kEmbeddedPlayerFiles = "/kest/player";
// The folder of KEST_PLAYER_DIR; empty for the built-in files.
std::string PlayerFolderFromEnvironment();
// Why the player's page cannot be served from `playerFolder` (empty: the
// built-in files); nullopt when it can.
std::optional<std::string> PlayerFilesProblem(const std::string& playerFolder);
// The resource paths of the built-in WebAssembly files.
std::vector<std::string> EmbeddedWebAssembly();

struct ServedFile {
    std::string path; // a resource path when `embedded`, else a file's
    const char* mimeType;
    bool embedded;
    // One of the player's own files (not the content folder's).
    bool playerFile;
    // Where the file's bytes lie in `path` (a content file may be read from
    // its package), and its name as asked for.
    uint64_t offset = 0;
    uint64_t size = 0;
    std::string name;
};

class PlayerRoutes {
public:
    // `playerFolder` as for PlayerFilesProblem; "/content/..." serves the
    // magazine's `content`, none without it.
    explicit PlayerRoutes(std::string playerFolder,
                          std::optional<package::ContentFiles> content = std::nullopt);

    // The folder of the files "/content/..." serves; empty while it serves none.
    std::string ContentFolder() const { return content ? content->Folder() : std::string(); }
    const std::string& PlayerFolder() const { return playerFolder; }

    // The file for the path of a request URI (percent-encoded, query and
    // fragment already removed). Nothing for a path that leaves its folder,
    // by ".." or by a link, or names no regular file.
    std::optional<ServedFile> Resolve(std::string_view uriPath) const;

    // The URL that LoadMovie's argument names: a local path (relative ones
    // count from the content folder) becomes a URL below "/content/"; one
    // outside the content folder, or any without a magazine, makes the
    // movie's own folder the content. A URL is kept.
    std::string MovieUrl(const std::string& pathOrUrl);

private:
    // `relative` below `subfolder` ("" or ending in '/') of the player's files.
    std::optional<std::string> PlayerFile(const std::string& subfolder, const std::string& relative) const;

    std::string playerFolder;
    std::optional<package::ContentFiles> content;
};

// Percent-decodes a URI path; nullopt for a bad escape or a NUL byte.
std::optional<std::string> DecodeUriPath(std::string_view encoded);
// Percent-encodes every byte outside the unreserved set, keeping '/'.
std::string EncodeUriPath(std::string_view path);

// A language tag (BCP 47) for the web view from a locale name such as
// "zh_CN.GBK"; "en-US" for "C", "POSIX", an empty or an odd name.
std::string LanguageTagFromLocale(std::string_view locale);

} // namespace player
