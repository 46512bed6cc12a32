#include "platform/Internet.h"

#include <curl/curl.h>

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

} // namespace

InternetSession::~InternetSession() {
    curl_easy_cleanup(curl);
}

bool InternetSession::Open(const char* userAgent) {
    curl_easy_cleanup(curl);
    curl = curl_easy_init();
    if (curl == nullptr) {
        return false;
    }
    // No proxy option is set, so the client takes the environment's.
    const bool configured =
        curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, kInternetDefaultTimeoutMs) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody) == CURLE_OK;
    if (!configured) {
        curl_easy_cleanup(curl);
        curl = nullptr;
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
    const CURLcode result = curl_easy_perform(curl);
    return result == CURLE_OK || start.begun;
}

} // namespace platform
