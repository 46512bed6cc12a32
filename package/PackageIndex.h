// A package's files and folders by path, as PackageReader::Survey finds them:
// what lets a magazine be read straight from its package.
#pragma once

#include "package/PackageReader.h"
#include "platform/WindowsNames.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace package {

class PackageIndex {
  public:
    struct File {
        std::string path; // below the package's top, '/' between names
        uint64_t offset;  // its first byte in the package
        uint64_t size;
    };

    // A later file of the same path takes the place of the earlier, as
    // extraction writes it over the earlier.
    void Add(const PackageReader::SurveyedEntry& entry);

    // The folders, in package order.
    const std::vector<std::string>& Folders() const { return folders; }

    // The file the first of `spellings` (relative to `root`, or absolute
    // below it) names exactly; with `windowsMatch`, the first that
    // platform::MatchWindowsPath matches.
    std::optional<File> Find(const std::string& root,
                             const std::vector<platform::Spelling>& spellings,
                             bool windowsMatch) const;

  private:
    std::optional<File> FindOne(const std::string& relative, platform::Encoding encoding,
                                bool windowsMatch) const;

    std::vector<std::string> folders;
    std::unordered_map<std::string, File> files;
    // The names in each folder ("" for the top).
    std::unordered_map<std::string, std::vector<std::string>> names;
};

} // namespace package
