// The one request per start of the viewer window that tells the statistics
// server a magazine is being read.
#pragma once

namespace services {

inline constexpr const char* kStatisticsUserAgent = "Vant";
inline constexpr long kStatisticsConnectTimeoutMs = 5000;

// The address built in (KEST_STATS_URL at configure time), or the environment
// variable KEST_STATS_URL when it is set.
const char* StatisticsAddress();

// Sends one GET for `url` and returns once the response has begun or the
// request has failed. Nothing about the outcome reaches the caller.
void SendUsageStatistics(const char* url);

} // namespace services
