#include "app/Workspace.h"

#include "package/PackageReader.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

namespace app {

namespace {

constexpr int kFreshDigitTries = 100;
constexpr unsigned long kDigitRange = 100000;

bool IsWorkspaceName(const std::string& name) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return name.size() == kWorkspaceNameSize - 1 && name.starts_with("Kest") && name[4] >= 'a' &&
           name[4] <= 'z' && std::all_of(name.begin() + 5, name.end(), digit);
}

} // namespace

void FillWorkspaceName(char (&name)[kWorkspaceNameSize], unsigned long threadId, char letter) {
    std::memcpy(name, kWorkspaceTemplate, sizeof kWorkspaceTemplate);
    unsigned long digits = threadId % kDigitRange;
    for (size_t position = kWorkspaceNameSize - 2; position > 4; --position) {
        name[position] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    }
    name[4] = letter;
}

void RemoveStaleWorkspaces(const std::string& folder) {
    platform::Folder parent;
    std::vector<platform::FolderEntry> entries;
    if (!parent.Open(folder.c_str()) || !parent.List(entries)) {
        return;
    }
    for (const platform::FolderEntry& entry : entries) {
        platform::Folder stale;
        // Opened without following a link; the lock is held while it goes.
        if (entry.kind == platform::EntryKind::Folder && IsWorkspaceName(entry.name) &&
            stale.OpenChild(parent, entry.name.c_str()) && stale.OwnedByCaller() && stale.Lock(false)) {
            (void)platform::RemoveTree((folder + platform::kPathSeparator + entry.name).c_str());
        }
    }
}

bool Workspace::Create(const std::string& folder, unsigned long threadId) {
    // Absolute, so that the path still holds once the Workspace is the
    // current directory.
    const std::string parent = folder.starts_with(platform::kPathSeparator)
                                   ? folder
                                   : platform::CurrentDirectory() + platform::kPathSeparator + folder;
    if (package::PackageReader::MakeFolderPath(parent) != package::PkgOk) {
        failure = parent + ": " + std::strerror(errno);
        return false;
    }
    std::random_device entropy;
    unsigned long digits = threadId;
    for (int round = 0; round <= kFreshDigitTries; ++round) {
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            FillWorkspaceName(name, digits, letter);
            const std::string candidate = parent + platform::kPathSeparator + name;
            const int error = platform::MakeFolder(candidate.c_str(), 0700);
            // Another start may take it for a dead viewer's before it is
            // locked; then it is gone or no longer this one, and the next name
            // is tried.
            if (error == 0 && lock.Open(candidate.c_str()) && lock.Lock(true) &&
                lock.IsNamedBy(candidate.c_str())) {
                parentFolder = parent;
                path = candidate;
                created = true;
                return true;
            }
            if (error != 0 && error != EEXIST) {
                failure = candidate + ": " + std::strerror(error);
                return false;
            }
        }
        digits = entropy() % kDigitRange;
    }
    failure = parent + ": no free name for a temporary folder";
    return false;
}

bool Workspace::Delete() {
    if (!created) {
        return false;
    }
    // Some platforms refuse to remove a folder a process stands in.
    const std::string current = platform::CurrentDirectory();
    if (current == path || current.rfind(path + platform::kPathSeparator, 0) == 0) {
        (void)platform::ChangeDirectory(parentFolder.c_str());
    }
    if (platform::RemoveTree(path.c_str()) != 0) {
        return false;
    }
    created = false;
    return true;
}

} // namespace app
