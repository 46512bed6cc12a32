#include "package/PackageIndex.h"

#include <filesystem>

namespace package {

void PackageIndex::Add(const PackageReader::SurveyedEntry& entry) {
    // A path comes again when a later entry takes its place.
    if (!files.contains(entry.path) && !names.contains(entry.path)) {
        const size_t slash = entry.path.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : entry.path.substr(0, slash);
        names[folder].push_back(entry.path.substr(slash == std::string::npos ? 0 : slash + 1));
    }
    if (entry.isFolder) {
        folders.push_back(entry.path);
        names.try_emplace(entry.path);
        return;
    }
    files.insert_or_assign(entry.path, File{entry.path, entry.offset, entry.size});
}

std::optional<PackageIndex::File>
PackageIndex::Find(const std::string& root, const std::vector<platform::Spelling>& spellings,
                   bool windowsMatch) const {
    for (const platform::Spelling& spelling : spellings) {
        const auto relative = platform::PathBelow(root, spelling.path);
        if (auto found =
                relative ? FindOne(*relative, spelling.encoding, windowsMatch) : std::nullopt) {
            return found;
        }
    }
    return std::nullopt;
}

std::optional<PackageIndex::File> PackageIndex::FindOne(const std::string& relative,
                                                        platform::Encoding encoding,
                                                        bool windowsMatch) const {
    std::optional<std::string> path;
    if (windowsMatch) {
        path = platform::MatchWindowsPath(
            relative, encoding, [this](const std::string& folder, std::vector<std::string>& found) {
                const auto listed = names.find(folder);
                if (listed != names.end()) {
                    found = listed->second;
                }
                return listed != names.end();
            });
    } else {
        // As the disk would take it: "a//b" and "a/./b" name a/b.
        path = std::filesystem::path(relative).lexically_normal().string();
    }
    const auto file = path ? files.find(*path) : files.end();
    return file != files.end() ? std::optional<File>(file->second) : std::nullopt;
}

} // namespace package
