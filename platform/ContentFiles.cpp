#include "platform/ContentFiles.h"

#include "platform/FileSystem.h"

#include <filesystem>
#include <system_error>

namespace platform {

namespace {

struct Elsewhere {
    std::string folder;
    FilesElsewhere find;
};

Elsewhere& Registered() {
    static auto* elsewhere = new Elsewhere;
    return *elsewhere;
}

std::optional<ContentFile> OnDisk(const std::optional<std::string>& path) {
    std::error_code error;
    const auto size = path ? std::filesystem::file_size(*path, error) : 0;
    if (!path || error) {
        return std::nullopt;
    }
    return ContentFile{*path, 0, size};
}

} // namespace

void SetFilesElsewhere(const std::string& folder, FilesElsewhere elsewhere) {
    Registered() = {folder, std::move(elsewhere)};
}

std::optional<ContentFile> FindContentFile(const std::string& folder,
                                           const std::vector<Spelling>& spellings) {
    const Elsewhere& elsewhere = Registered();
    const bool more = elsewhere.find && elsewhere.folder == folder;
    for (const bool windowsMatch : {false, true}) {
        for (const Spelling& spelling : spellings) {
            if (auto found = OnDisk(windowsMatch ? MatchFileInside(folder, spelling)
                                                 : RegularFileInside(folder, spelling.path))) {
                return found;
            }
        }
        if (more) {
            if (auto found = elsewhere.find(spellings, windowsMatch)) {
                return found;
            }
        }
    }
    return std::nullopt;
}

bool ReadContentFile(const ContentFile& file, std::string& bytes, uint64_t maxBytes) {
    FileStream stream;
    if (file.size > maxBytes || !stream.Open(file.path.c_str(), "rb") ||
        !stream.Seek(static_cast<int64_t>(file.offset), SEEK_SET)) {
        return false;
    }
    bytes.resize(file.size);
    return stream.Read(bytes.data(), bytes.size()) == bytes.size();
}

} // namespace platform
