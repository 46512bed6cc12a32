// A progress line on standard error for packing or extracting that takes
// longer than about a second, and only when standard error is a terminal:
// scripts and logs see nothing of it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace app {

// "kest: packing 120.0 MiB of 1.0 GiB, 95.2 MiB/s"
std::string FormatProgress(const std::string& verb, uint64_t done, uint64_t total, double seconds);

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // Whether a line can be shown at all: a total that is costly to find is
    // worth finding only then.
    static bool Wanted();

    ProgressLine(std::string verb, uint64_t total);
    // Ends the line with the last figures when one was shown.
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Update(uint64_t done);

private:
    void Print(Clock::time_point now, const char* end) const;

    std::string verb;
    uint64_t total;
    bool terminal;
    bool shown = false;
    uint64_t lastDone = 0;
    Clock::time_point started = Clock::now();
    Clock::time_point lastShown;
};

} // namespace app
