#include "app/ProgressLine.h"

#include <unistd.h>

#include <cstdio>

namespace app {

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kUpdateEvery = std::chrono::milliseconds(200);

std::string Amount(double bytes) {
    static constexpr const char* kUnits[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    size_t unit = 0;
    while (bytes >= 1024 && unit + 1 < std::size(kUnits)) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
    return text;
}

} // namespace

std::string FormatProgress(const std::string& verb, uint64_t done, uint64_t total, double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    return "kest: " + verb + " " + Amount(static_cast<double>(done)) + " of " +
           Amount(static_cast<double>(total)) + ", " + Amount(rate) + "/s";
}

bool ProgressLine::Wanted() { return isatty(STDERR_FILENO) == 1; }

ProgressLine::ProgressLine(std::string action, uint64_t totalBytes)
    : verb(std::move(action)), total(totalBytes), terminal(Wanted()) {}

ProgressLine::~ProgressLine() {
    if (shown) {
        Print(Clock::now(), "\n");
    }
}

void ProgressLine::Print(Clock::time_point now, const char* end) const {
    const double seconds = std::chrono::duration<double>(now - started).count();
    // Erase to the end of the line: the text may have become shorter.
    std::fprintf(stderr, "\r%s\033[K%s", FormatProgress(verb, lastDone, total, seconds).c_str(), end);
}

void ProgressLine::Update(uint64_t done) {
    lastDone = done;
    const Clock::time_point now = Clock::now();
    if (!terminal || now - started < kQuietStart || (shown && now - lastShown < kUpdateEvery)) {
        return;
    }
    Print(now, "");
    shown = true;
    lastShown = now;
}

} // namespace app
