// The magazine's files as its movie and its commands name them: in the
// content folder, or, for a packed magazine, in the package itself.
#pragma once

#include "platform/WindowsNames.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The `size` bytes at `offset` of the file `path`.
struct ContentFile {
    std::string path;
    uint64_t offset = 0;
    uint64_t size = 0;
};

// Finds what a content folder does not hold: the file the first of
// `spellings` names exactly, or, with `windowsMatch`, the first that
// MatchWindowsPath matches.
using FilesElsewhere = std::function<std::optional<ContentFile>(
    const std::vector<Spelling>& spellings, bool windowsMatch)>;

// From now on, the files `folder` lacks are looked for with `elsewhere`;
// an empty one ends that. One folder at a time, on the user-interface thread.
void SetFilesElsewhere(const std::string& folder, FilesElsewhere elsewhere);

// The file one of `spellings` names inside `folder` (relative, or absolute
// below it): spelled exactly, in the folder and then elsewhere; else as the
// original platform matches names, in the folder and then elsewhere.
std::optional<ContentFile> FindContentFile(const std::string& folder,
                                           const std::vector<Spelling>& spellings);

// The file's bytes; false when they cannot all be read or are more than
// `maxBytes`.
bool ReadContentFile(const ContentFile& file, std::string& bytes, uint64_t maxBytes);

} // namespace platform
