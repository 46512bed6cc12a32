#include "services/UsageStatistics.h"

#include "platform/StartupLog.h"

#include <cstdlib>
#include <system_error>

#ifndef KEST_STATS_URL_DEFAULT
#error "KEST_STATS_URL_DEFAULT must be defined by the build"
#endif

namespace services {

const char* StatisticsAddress() {
    const char* url = std::getenv("KEST_STATS_URL");
    return url != nullptr && *url != '\0' ? url : KEST_STATS_URL_DEFAULT;
}

namespace {

// Nothing depends on the request: a session that cannot be set up, like a
// request that fails, is dropped.
void Send(platform::InternetSession& session, const char* url) {
    session.SetConnectTimeout(kStatisticsConnectTimeoutMs);
    [[maybe_unused]] const bool begun = session.OpenUrl(url);
}

} // namespace

void SendUsageStatistics(const char* url) {
    platform::InternetSession session;
    if (session.Open(kStatisticsUserAgent)) {
        Send(session, url);
    }
}

UsageStatisticsRequest::UsageStatisticsRequest(const std::string& url) {
    platform::LogStartup("statistics begun");
    // Opened here, so that Stop may come from this thread at any time.
    if (!session.Open(kStatisticsUserAgent)) {
        done = true;
        return;
    }
    try {
        thread = std::thread([this, url] {
            Send(session, url.c_str());
            platform::LogStartup("statistics done");
            const std::lock_guard<std::mutex> lock(mutex);
            done = true;
            changed.notify_all();
        });
    } catch (const std::system_error&) {
        done = true; // no thread to send it: the magazine is read all the same
    }
}

UsageStatisticsRequest::~UsageStatisticsRequest() {
    if (!WaitFor(kStatisticsExitWait)) {
        session.Stop();
    }
    if (thread.joinable()) {
        thread.join();
    }
}

bool UsageStatisticsRequest::WaitFor(std::chrono::milliseconds bound) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, bound, [this] { return done; });
}

} // namespace services
