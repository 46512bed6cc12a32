#include "platform/Text.h"
#include "player/Links.h"

#include <gtest/gtest.h>

namespace {

using namespace player;

TEST(LinksTest, OnlyOurPageIsShownAndOnlyWebAndMailLinksOpen) {
    EXPECT_EQ(ClassifyNavigation("kest://player/page.html"), Navigation::PlayerPage);
    for (const char* link : {"http://magazine.example/", "HTTPS://magazine.example/a?b=1", "mailto:editor@example.org"}) {
        EXPECT_EQ(ClassifyNavigation(link), Navigation::Link) << link;
    }
    for (const char* other : {"kest://player/content/a.swf", "kest://player/page.html#x", "javascript:alert(1)",
                              "file:///etc/passwd", "http:relative", "about:blank", "data:text/html,x", ""}) {
        EXPECT_EQ(ClassifyNavigation(other), Navigation::Refused) << other;
    }
}

TEST(LinksTest, AtMostOneLinkASecondAndPrintedSafely) {
    LinkThrottle throttle;
    const auto start = LinkThrottle::Clock::now();
    EXPECT_TRUE(throttle.Allow(start));
    EXPECT_FALSE(throttle.Allow(start + std::chrono::milliseconds(999)));
    EXPECT_TRUE(throttle.Allow(start + std::chrono::milliseconds(1000)));
    EXPECT_EQ(platform::PrintableText("http://a/\x1b]0;t\x07", platform::kLoggedTextBytes), "http://a/\\x1b]0;t\\x07");
    EXPECT_EQ(platform::PrintableText(std::string(5000, 'a'), platform::kLoggedTextBytes), std::string(1024, 'a') + "... (5000 bytes)");
}

} // namespace
