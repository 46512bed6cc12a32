// The one request per start of the viewer window that tells the statistics
// server a magazine is being read.
#pragma once

#include "platform/Internet.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace services {

inline constexpr const char* kStatisticsUserAgent = "Vant";
inline constexpr long kStatisticsConnectTimeoutMs = 5000;
// How long closing the magazine waits for a request still under way.
inline constexpr std::chrono::milliseconds kStatisticsExitWait{1000};

// The address built in (KEST_STATS_URL at configure time), or the environment
// variable KEST_STATS_URL when it is set.
const char* StatisticsAddress();

// Sends one GET for `url` and returns once the response has begun or the
// request has failed. Nothing about the outcome reaches the caller.
void SendUsageStatistics(const char* url);

// SendUsageStatistics on a thread of its own, so that the window, the movie
// and the keys work at once whatever the server does.
class UsageStatisticsRequest {
public:
    explicit UsageStatisticsRequest(const std::string& url);
    // Waits at most kStatisticsExitWait for the request, then stops one still
    // under way: no thread of ours is inside the client while the process
    // ends.
    ~UsageStatisticsRequest();
    UsageStatisticsRequest(const UsageStatisticsRequest&) = delete;
    UsageStatisticsRequest& operator=(const UsageStatisticsRequest&) = delete;

    // True once the request is over, waiting at most `bound` for it.
    [[nodiscard]] bool WaitFor(std::chrono::milliseconds bound);

private:
    platform::InternetSession session;
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    std::thread thread;
};

} // namespace services
