// Start-up milestones on standard error, when the environment variable
// KEST_STARTUP_LOG is set: for measuring where a start's time goes, and for
// seeing which files a run used.
#pragma once

#include <string>

namespace platform {

// Writes "kest: start-up MS EVENT", MS being milliseconds since the epoch, so
// that whoever started the program can subtract its own start time.
void LogStartup(const std::string& event);

} // namespace platform
