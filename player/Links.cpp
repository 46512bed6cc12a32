#include "player/Links.h"

#include "player/PlayerFiles.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace player {

namespace {

std::string LowerScheme(std::string_view uri) {
    const size_t colon = uri.find(':');
    std::string scheme(uri.substr(0, colon == std::string_view::npos ? 0 : colon));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return scheme;
}

} // namespace

Navigation ClassifyNavigation(std::string_view uri) {
    if (uri == kPageUrl) {
        return Navigation::PlayerPage;
    }
    const std::string scheme = LowerScheme(uri);
    if (scheme == "http" || scheme == "https") {
        return uri.size() > scheme.size() + 3 && uri.substr(scheme.size(), 3) == "://" ? Navigation::Link
                                                                                        : Navigation::Refused;
    }
    return scheme == "mailto" ? Navigation::Link : Navigation::Refused;
}

bool LinkQueue::Add(std::string uri) {
    if (waiting.size() >= kMaxWaiting) {
        return false;
    }
    waiting.push_back(std::move(uri));
    return true;
}

std::optional<std::string> LinkQueue::TakeDue(Clock::time_point now) {
    if (NextDueIn(now).value_or(kInterval).count() > 0) {
        return std::nullopt;
    }
    std::string uri = std::move(waiting.front());
    waiting.pop_front();
    lastOpened = now;
    return uri;
}

std::optional<std::chrono::milliseconds> LinkQueue::NextDueIn(Clock::time_point now) const {
    if (waiting.empty()) {
        return std::nullopt;
    }
    if (!lastOpened || now - *lastOpened >= kInterval) {
        return std::chrono::milliseconds(0);
    }
    return std::chrono::ceil<std::chrono::milliseconds>(*lastOpened + kInterval - now);
}

} // namespace player
