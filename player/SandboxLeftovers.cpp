#include "player/SandboxLeftovers.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include <signal.h>

namespace player {

namespace {

// The viewer's process id in "webkit-PID-N"; nothing for any other name.
std::optional<pid_t> ViewerOf(std::string_view name) {
    constexpr std::string_view kPrefix = "webkit-";
    if (name.substr(0, kPrefix.size()) != kPrefix) {
        return std::nullopt;
    }
    name.remove_prefix(kPrefix.size());
    pid_t pid = 0;
    unsigned instance = 0;
    const char* end = name.data() + name.size();
    auto [afterPid, pidError] = std::from_chars(name.data(), end, pid);
    if (pidError != std::errc() || pid <= 0 || afterPid == end || *afterPid != '-') {
        return std::nullopt;
    }
    auto [afterInstance, instanceError] = std::from_chars(afterPid + 1, end, instance);
    if (instanceError != std::errc() || afterInstance != end) {
        return std::nullopt;
    }
    return pid;
}

bool Running(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

} // namespace

void RemoveEndedSandboxInfo(const std::string& folder) {
    platform::Folder parent;
    std::vector<platform::FolderEntry> entries;
    if (!parent.Open(folder.c_str()) || !parent.List(entries)) {
        return;
    }
    for (const platform::FolderEntry& entry : entries) {
        const auto viewer = ViewerOf(entry.name);
        if (entry.kind == platform::EntryKind::Folder && viewer && !Running(*viewer)) {
            (void)platform::RemoveTree((folder + platform::kPathSeparator + entry.name).c_str());
        }
    }
}

} // namespace player
