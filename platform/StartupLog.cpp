#include "platform/StartupLog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace platform {

void LogStartup(const std::string& event) {
    if (std::getenv("KEST_STARTUP_LOG") == nullptr) {
        return;
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const double ms = std::chrono::duration<double, std::milli>(now).count();
    std::fprintf(stderr, "kest: start-up %.1f %s\n", ms, event.c_str());
    std::fflush(stderr);
}

} // namespace platform
