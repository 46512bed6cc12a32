// A synchronous HTTP session: open an address, let the response begin, close.
#pragma once

#include <atomic>
#include <string>

namespace platform {

// Bound on everything after the connection is set up (sending the request and
// waiting for the response to begin), so that a server that never answers
// cannot hold the caller for good.
inline constexpr long kInternetDefaultTimeoutMs = 30000;

class InternetSession {
public:
    InternetSession() = default;
    ~InternetSession();
    InternetSession(const InternetSession&) = delete;
    InternetSession& operator=(const InternetSession&) = delete;

    // Starts a session with this user agent and the proxy settings of the
    // environment (http_proxy, https_proxy, all_proxy, no_proxy). False if the
    // client cannot be set up.
    [[nodiscard]] bool Open(const char* userAgent);
    // Limit for name lookup and connection set-up.
    void SetConnectTimeout(long milliseconds);

    // Sends one GET for `url` (http or https) with only the client's default
    // headers and returns as soon as the response has begun: its status line
    // and headers are in. No byte of the body is read; redirects are not
    // followed. False when no response began or Stop came first.
    [[nodiscard]] bool OpenUrl(const char* url);
    // Ends OpenUrl at once, now or when it comes; callable from any thread
    // while the session exists.
    void Stop();

private:
    void* curl = nullptr;  // the client's easy handle
    void* multi = nullptr; // drives it, so that Stop can wake its wait
    std::atomic<bool> stopping{false};
};

} // namespace platform
