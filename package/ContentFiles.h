// A magazine's files as its movie and its commands name them: those of its
// content folder and, for a packed magazine, those of its package, read
// where they lie in the magazine's file.
#pragma once

#include "package/PackageIndex.h"
#include "platform/FileRange.h"
#include "platform/WindowsNames.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace package {

class ContentFiles {
public:
    // The files of `folder` alone: a magazine shown from its folder.
    explicit ContentFiles(std::string folder);
    // The files of `folder` (a movie's copies) before those `index` holds of
    // the package at `packagePath`. `index` may still be filling while no
    // file is asked for; it outlives this object and its copies.
    ContentFiles(std::string folder, const PackageIndex& index, std::string packagePath);

    // Where relative names count from and the movie's copies go, without
    // trailing separator.
    const std::string& Folder() const { return folder; }

    // The file one of `spellings` names (relative to the folder, or absolute
    // below it): spelled exactly, in the folder and then in the package; else
    // as the original platform matches names, in the folder and then in the
    // package.
    std::optional<platform::FileRange> Find(const std::vector<platform::Spelling>& spellings) const;

    // The bytes of the file Find finds; false when there is none, or it
    // cannot all be read or is more than `maxBytes`.
    bool Read(const std::vector<platform::Spelling>& spellings, std::string& bytes,
              uint64_t maxBytes) const;

private:
    std::optional<platform::FileRange> InFolder(const std::vector<platform::Spelling>& spellings,
                                                bool windowsMatch) const;
    std::optional<platform::FileRange> InPackage(const std::vector<platform::Spelling>& spellings,
                                                 bool windowsMatch) const;

    std::string folder;
    const PackageIndex* index = nullptr;
    std::string packagePath;
};

} // namespace package
