// The files the player's web view may load, and nothing else: our page and
// shim, Ruffle's files, and the files of the content folder. Display-free, so
// that the routing rules are tested on their own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace player {

// The URI scheme and origin the web view loads everything from.
inline constexpr const char* kPlayerScheme = "kest";
inline constexpr const char* kPlayerOrigin = "kest://player";
inline constexpr const char* kPageUrl = "kest://player/page.html";

// The folder holding page.html, shim.js and ruffle/ (Ruffle's npm files):
// the first of PlayerFolderCandidates that holds them; nullopt (after a line on
// standard error) when none does.
std::optional<std::string> FindPlayerFolder();

// Where the player's files are looked for, in order: next to the executable
// (player/), in the prefix the executable lies in (../share/kest/player), in
// the prefix the build was configured for, in the data folders of `dataDirs`
// (XDG_DATA_DIRS: absolute folders separated by ':'; null or empty means
// /usr/local/share:/usr/share), and in the build tree. A packed magazine is a
// copy of kest that lies anywhere, so it finds an installed kest's files only
// by the last three.
std::vector<std::string> PlayerFolderCandidates(const std::string& executable, const char* dataDirs);

struct ServedFile {
    std::string path;
    const char* mimeType;
};

class PlayerRoutes {
public:
    explicit PlayerRoutes(std::string playerFolder);

    // The folder whose files "/content/..." serves; empty serves none.
    void SetContentFolder(const std::string& folder);
    const std::string& ContentFolder() const { return contentFolder; }

    // The file for the path of a request URI (percent-encoded, query and
    // fragment already removed). Nothing for a path that leaves its folder,
    // by ".." or by a link, or names no regular file.
    std::optional<ServedFile> Resolve(std::string_view uriPath) const;

    // The URL that LoadMovie's argument names: an absolute or relative local
    // path becomes a URL below "/content/", after the content folder has been
    // chosen for it (the current folder when the movie lies below it, else
    // the movie's own folder); a URL is kept.
    std::string MovieUrl(const std::string& pathOrUrl);

private:
    std::string playerFolder;
    std::string contentFolder;
};

// Percent-decodes a URI path; nullopt for a bad escape or a NUL byte.
std::optional<std::string> DecodeUriPath(std::string_view encoded);
// Percent-encodes every byte outside the unreserved set, keeping '/'.
std::string EncodeUriPath(std::string_view path);

// A language tag (BCP 47) for the web view from a locale name such as
// "zh_CN.GBK"; "en-US" for "C", "POSIX", an empty or an odd name.
std::string LanguageTagFromLocale(std::string_view locale);

} // namespace player
