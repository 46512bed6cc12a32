#include "services/UsageStatistics.h"

#include "platform/Internet.h"
#include "platform/StartupLog.h"

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#ifndef KEST_STATS_URL_DEFAULT
#error "KEST_STATS_URL_DEFAULT must be defined by the build"
#endif

namespace services {

const char* StatisticsAddress() {
    const char* url = std::getenv("KEST_STATS_URL");
    return url != nullptr && *url != '\0' ? url : KEST_STATS_URL_DEFAULT;
}

void SendUsageStatistics(const char* url) {
    platform::InternetSession session;
    // Nothing depends on the request: a session that cannot be set up, like
    // a request that fails, is dropped.
    if (!session.Open(kStatisticsUserAgent)) {
        return;
    }
    session.SetConnectTimeout(kStatisticsConnectTimeoutMs);
    [[maybe_unused]] const bool begun = session.OpenUrl(url);
}

// Shared with the sending thread, which may outlive the request object.
struct UsageStatisticsRequest::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
};

UsageStatisticsRequest::UsageStatisticsRequest(std::string url) : state(std::make_shared<State>()) {
    platform::LogStartup("statistics begun");
    std::thread([state = state, url = std::move(url)] {
        SendUsageStatistics(url.c_str());
        platform::LogStartup("statistics done");
        const std::lock_guard<std::mutex> lock(state->mutex);
        state->done = true;
        state->changed.notify_all();
    }).detach();
}

UsageStatisticsRequest::~UsageStatisticsRequest() { (void)WaitFor(kStatisticsExitWait); }

bool UsageStatisticsRequest::WaitFor(std::chrono::milliseconds bound) {
    std::unique_lock<std::mutex> lock(state->mutex);
    return state->changed.wait_for(lock, bound, [this] { return state->done; });
}

} // namespace services
