#include "services/UsageStatistics.h"

#include "platform/Internet.h"

#include <cstdlib>

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

} // namespace services
