#include "player/Links.h"

#include "player/PlayerFiles.h"

#include <algorithm>
#include <cctype>

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

bool LinkThrottle::Allow(Clock::time_point now) {
    if (opened && now - last < kInterval) {
        return false;
    }
    opened = true;
    last = now;
    return true;
}

} // namespace player
