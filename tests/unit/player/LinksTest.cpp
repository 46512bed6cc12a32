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

TEST(LinksTest, LinksOpenInOrderOneASecondAndAFewWaitTheirTurn) {
    using std::chrono::milliseconds;
    LinkQueue links;
    const auto start = LinkQueue::Clock::now();
    EXPECT_TRUE(links.Add("https://a/"));
    EXPECT_EQ(links.TakeDue(start), "https://a/");
    for (const char* link : {"mailto:b", "mailto:c", "mailto:d", "mailto:e", "mailto:f"}) {
        EXPECT_TRUE(links.Add(link));
    }
    EXPECT_FALSE(links.Add("https://sixth-waiting/"));
    EXPECT_EQ(links.NextDueIn(start + milliseconds(400)), milliseconds(600));
    EXPECT_FALSE(links.TakeDue(start + milliseconds(999)));
    // Turns count from when the last link opened, however late.
    EXPECT_EQ(links.TakeDue(start + milliseconds(5000)), "mailto:b");
    EXPECT_FALSE(links.TakeDue(start + milliseconds(5999)));
}

TEST(LinksTest, RefusedLinksArePrintedSafely) {
    EXPECT_EQ(platform::PrintableText("http://a/\x1b]0;t\x07", platform::kLoggedTextBytes), "http://a/\\x1b]0;t\\x07");
    EXPECT_EQ(platform::PrintableText(std::string(5000, 'a'), platform::kLoggedTextBytes), std::string(1024, 'a') + "... (5000 bytes)");
}

} // namespace
