#include "services/CopyDestination.h"

#include "platform/Text.h"
#include "platform/UserFolders.h"
#include "platform/WindowsNames.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace services {

namespace {

std::string Normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

bool IsHidden(std::string_view name) {
    return name.starts_with('.');
}

// Desktops run a desktop entry that is opened, whatever its permissions.
bool IsDesktopEntry(std::string_view name) {
    static constexpr std::string_view kSuffix = ".desktop";
    return name.size() >= kSuffix.size() &&
           platform::SameNameIgnoringCase(name.substr(name.size() - kSuffix.size()), kSuffix,
                                          platform::Encoding::Utf8);
}

std::string Reason(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

// Opens `relative` below the folder `place` by the rules above.
std::string OpenBelow(const std::string& place, const std::string& relative,
                      platform::FileStream& file) {
    const auto matched =
        platform::MatchWindowsPath(place, relative, platform::HostStepping(), false);
    if (!matched) {
        return "a folder on the way is missing or has several names differing in letter case";
    }
    auto folder = std::make_unique<platform::Folder>();
    if (!folder->Open(place.c_str())) {
        return Reason("cannot open the folder", errno);
    }
    size_t start = 0;
    for (size_t slash;
         (slash = matched->find(platform::kPathSeparator, start)) != std::string::npos;
         start = slash + 1) {
        const std::string name = matched->substr(start, slash - start);
        if (IsHidden(name)) {
            return "a hidden folder on the way";
        }
        auto child = std::make_unique<platform::Folder>();
        if (!child->OpenChild(*folder, name.c_str())) {
            // A link fails as ELOOP, or as ENOTDIR when the folder is asked for.
            return errno == ELOOP || errno == ENOTDIR
                       ? "a link or a file on the way"
                       : Reason("cannot open a folder on the way", errno);
        }
        folder = std::move(child);
    }
    const std::string name = matched->substr(start);
    if (IsHidden(name)) {
        return "a hidden file";
    }
    if (IsDesktopEntry(name)) {
        return "a desktop entry";
    }
    if (!file.OpenOwnForRewriteIn(*folder, name.c_str())) {
        return errno == ELOOP ? "a link"
               : errno == EPERM
                   ? "not a regular file of the reader's own, with one name, that nobody may run"
                   : Reason("cannot open", errno);
    }
    return {};
}

} // namespace

std::string OpenDestination(const std::string& contentFolder, const std::string& path,
                            platform::FileStream& file) {
    const std::string whole = Normal(path.starts_with(platform::kPathSeparator)
                                         ? path
                                         : contentFolder + platform::kPathSeparator + path);
    std::vector<std::string> places = platform::ReaderFolders();
    places.insert(places.begin(), Normal(contentFolder));
    for (std::string& place : places) {
        // A content folder without a name must not make the whole disk one.
        if (place.size() <= 1) {
            continue;
        }
        if (!place.ends_with(platform::kPathSeparator)) {
            place += platform::kPathSeparator;
        }
        if (whole.starts_with(place) && whole.size() > place.size()) {
            return OpenBelow(place, whole.substr(place.size()), file);
        }
    }
    return "outside the magazine's folder and the reader's folders for documents and media";
}

} // namespace services
