#include "package/ContentFiles.h"

#include <filesystem>
#include <system_error>

namespace package {

ContentFiles::ContentFiles(std::string contentFolder) : folder(std::move(contentFolder)) {}

ContentFiles::ContentFiles(std::string contentFolder, const PackageIndex& packageIndex,
                           std::string heldPackage)
    : folder(std::move(contentFolder)), index(&packageIndex), packagePath(std::move(heldPackage)) {}

std::optional<platform::FileRange>
ContentFiles::Find(const std::vector<platform::Spelling>& spellings) const {
    for (const bool windowsMatch : {false, true}) {
        if (auto found = InFolder(spellings, windowsMatch)) {
            return found;
        }
        if (auto found = InPackage(spellings, windowsMatch)) {
            return found;
        }
    }
    return std::nullopt;
}

bool ContentFiles::Read(const std::vector<platform::Spelling>& spellings, std::string& bytes,
                        uint64_t maxBytes) const {
    const auto file = Find(spellings);
    return file && platform::ReadFileRange(*file, bytes, maxBytes);
}

std::optional<platform::FileRange>
ContentFiles::InFolder(const std::vector<platform::Spelling>& spellings, bool windowsMatch) const {
    for (const platform::Spelling& spelling : spellings) {
        const auto path = windowsMatch ? platform::MatchFileInside(folder, spelling)
                                       : platform::RegularFileInside(folder, spelling.path);
        std::error_code error;
        const auto size = path ? std::filesystem::file_size(*path, error) : 0;
        if (path && !error) {
            return platform::FileRange{*path, 0, size};
        }
    }
    return std::nullopt;
}

std::optional<platform::FileRange>
ContentFiles::InPackage(const std::vector<platform::Spelling>& spellings, bool windowsMatch) const {
    const auto file = index ? index->Find(folder, spellings, windowsMatch) : std::nullopt;
    if (!file) {
        return std::nullopt;
    }
    return platform::FileRange{packagePath, file->offset, file->size};
}

} // namespace package
