#include "player/SandboxLeftovers.h"

#include "platform/FileSystem.h"

#include <glib.h>

#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

#include <signal.h>
#include <sys/stat.h>

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
    GDir* entries = g_dir_open(folder.c_str(), 0, nullptr);
    if (!entries) {
        return;
    }
    while (const char* name = g_dir_read_name(entries)) {
        const auto viewer = ViewerOf(name);
        const std::string path = folder + "/" + name;
        struct stat entry {};
        if (viewer && !Running(*viewer) && lstat(path.c_str(), &entry) == 0 && S_ISDIR(entry.st_mode)) {
            platform::RemoveTree(path.c_str());
        }
    }
    g_dir_close(entries);
}

} // namespace player
