#include "platform/Internet.h"

#include <curl/curl.h>
#include <sys/socket.h>

namespace platform {

namespace {

struct ResponseStart {
    CURL* curl;
    bool begun = false;
};

// Ends the transfer once the headers of a final response are in: the caller
// never reads the body, so waiting for it would only delay the caller.
size_t OnHeader(char*, size_t size, size_t count, void* context) {
    auto* start = static_cast<ResponseStart*>(context);
    const size_t length = size * count;
    long status = 0;
    if (length <= 2 &&
        curl_easy_getinfo(start->curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
        status >= 200) {
        start->begun = true;
        return 0;
    }
    return length;
}

size_t OnBody(char*, size_t, size_t, void* context) {
    static_cast<ResponseStart*>(context)->begun = true;
    return 0;
}

// The web engine's processes, started at any moment, must not inherit the
// connection.
curl_socket_t OpenSocket(void*, curlsocktype, curl_sockaddr* address) {
    return socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

// The longest wait between two looks at the stop flag should a wake-up be lost.
constexpr int kPollMs = 1000;

} // namespace

InternetSession::~InternetSession() {
    curl_multi_cleanup(multi);
    curl_easy_cleanup(curl);
}

bool InternetSession::Open(const char* userAgent) {
    curl_multi_cleanup(multi);
    curl_easy_cleanup(curl);
    curl = curl_easy_init();
    multi = curl_multi_init();
    // No proxy option is set, so the client takes the environment's.
    const bool configured =
        curl != nullptr && multi != nullptr &&
        curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, kInternetDefaultTimeoutMs) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, OpenSocket) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody) == CURLE_OK;
    if (!configured) {
        curl_multi_cleanup(multi);
        curl_easy_cleanup(curl);
        multi = curl = nullptr;
    }
    return configured;
}

void InternetSession::SetConnectTimeout(long milliseconds) {
    if (curl != nullptr) {
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, milliseconds);
    }
}

bool InternetSession::OpenUrl(const char* url) {
    if (curl == nullptr || curl_easy_setopt(curl, CURLOPT_URL, url) != CURLE_OK) {
        return false;
    }
    ResponseStart start{curl};
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &start);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &start);
    if (curl_multi_add_handle(multi, curl) != CURLM_OK) {
        return false;
    }
    int running = 1;
    CURLMcode driven = CURLM_OK;
    while (running > 0 && driven == CURLM_OK && !stopping) {
        driven = curl_multi_perform(multi, &running);
        if (running > 0 && driven == CURLM_OK) {
            driven = curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
        }
    }
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE) {
            result = message->data.result;
        }
    }
    curl_multi_remove_handle(multi, curl);
    return !stopping && (result == CURLE_OK || start.begun);
}

void InternetSession::Stop() {
    stopping = true;
    if (multi != nullptr) {
        curl_multi_wakeup(multi);
    }
}

} // namespace platform
