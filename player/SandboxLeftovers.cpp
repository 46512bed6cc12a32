#include "player/SandboxLeftovers.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

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
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto viewer = ViewerOf(entry.path().filename().string());
        if (viewer && !Running(*viewer) && entry.is_directory(error) && !entry.is_symlink(error)) {
            std::filesystem::remove_all(entry.path(), error);
        }
    }
}

} // namespace player
