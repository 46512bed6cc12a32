#include "platform/FileSystem.h"
#include "player/PlayerFiles.h"
#include "unit/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

namespace {

using namespace player;

// A player folder and a content folder side by side, with a secret beside
// them and links that point out of the content folder.
class PlayerRoutesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"player", "player/ruffle", "player/scripts", "content", "content/pics"}) {
            ASSERT_EQ(platform::MakeFolder((scratch / folder).c_str()), 0);
        }
        WriteWholeFile(scratch / "player/page.html", "<html>");
        WriteWholeFile(scratch / "player/scripts/player.js", "script");
        WriteWholeFile(scratch / "player/other.js", "not served");
        WriteWholeFile(scratch / "player/ruffle/core.wasm", "wasm");
        WriteWholeFile(scratch / "content/read.swf", "FWS");
        WriteWholeFile(scratch / "content/pics/a b.JPG", "jpg");
        WriteWholeFile(scratch / "content/\xD6\xD0.xml", "gbk name");
        WriteWholeFile(scratch / "secret.txt", "secret");
        std::filesystem::create_symlink(scratch / "secret.txt", scratch / "content/link.txt");
        std::filesystem::create_symlink(scratch.Path(), scratch / "content/up");
        std::filesystem::create_symlink(scratch / "content/read.swf", scratch / "content/inside.swf");
    }

    std::string Served(const std::string& uriPath) {
        const auto file = routes.Resolve(uriPath);
        return file ? ReadWholeFile(file->path) + " " + file->mimeType : "not found";
    }

    ScratchFolder scratch;
    PlayerRoutes routes{scratch / "player", package::ContentFiles(scratch / "content")};
};

TEST_F(PlayerRoutesTest, ServesThePageRuffleAndTheContentWithTheirTypes) {
    EXPECT_EQ(Served("/page.html"), "<html> text/html");
    EXPECT_EQ(Served("/scripts/player.js"), "script text/javascript");
    EXPECT_EQ(Served("/ruffle/core.wasm"), "wasm application/wasm");
    EXPECT_EQ(Served("/content/read.swf"), "FWS application/x-shockwave-flash");
    EXPECT_EQ(Served("/content/pics/a%20b.JPG"), "jpg image/jpeg");
    EXPECT_EQ(Served("/content/inside.swf"), "FWS application/x-shockwave-flash");
    // The movie asks in Unicode ("中"); the package wrote the name in GBK.
    EXPECT_EQ(Served("/content/%E4%B8%AD.xml"), "gbk name text/xml");
    EXPECT_EQ(Served("/content/%D6%D0.xml"), "gbk name text/xml");
    // Names as the original platform took them, in either spelling.
    EXPECT_EQ(Served("/content/PICS%5Ca%20B.jpg"), "jpg image/jpeg");
    EXPECT_EQ(Served("/content/%E4%B8%AD.XML"), "gbk name text/xml");
}

TEST_F(PlayerRoutesTest, AnythingOutsideItsFolderIsNotFound) {
    for (const char* path : {"/content/../secret.txt", "/content/%2e%2e/secret.txt",
                             "/content/pics/../../secret.txt", "/content/link.txt",
                             "/content/up/secret.txt", "/content//etc/passwd",
                             "/ruffle/../page.html", "/ruffle/../../secret.txt", "/other.js",
                             "/player/page.html", "/content/pics", "/content/", "/content/missing",
                             "/content/read.swf%00.txt", "/content/%zz", "/content/%4", "",
                             "/", "/../secret.txt"}) {
        EXPECT_EQ(Served(path), "not found") << path;
    }
    EXPECT_FALSE(PlayerRoutes(scratch / "player").Resolve("/content/read.swf"));
}

TEST_F(PlayerRoutesTest, MovieUrlsServeTheMovieFromItsContentFolder) {
    // Below the content folder: it stays the content folder.
    const std::string url = routes.MovieUrl(scratch / "content/pics/a b.JPG");
    EXPECT_EQ(url, "kest://player/content/pics/a%20b.JPG");
    EXPECT_EQ(routes.ContentFolder(), scratch / "content");
    EXPECT_EQ(routes.MovieUrl("read.swf"), "kest://player/content/read.swf");
    // Elsewhere: the movie's own folder.
    EXPECT_EQ(routes.MovieUrl(scratch / "player/page.html"), "kest://player/content/page.html");
    EXPECT_EQ(routes.ContentFolder(), scratch / "player");
    EXPECT_EQ(routes.MovieUrl("http://example.invalid/m.swf"), "http://example.invalid/m.swf");
}

TEST(PlayerFiles, UriPathsRoundTripEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    const std::string encoded = EncodeUriPath(all);
    for (const char c : encoded) {
        EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || std::strchr("-._~/%", c)) << c;
    }
    EXPECT_EQ(DecodeUriPath(encoded), all);
    EXPECT_EQ(EncodeUriPath("a/b c"), "a/b%20c");
}

TEST(PlayerFiles, LanguageTagsFromLocaleNames) {
    const struct {
        const char* locale;
        const char* tag;
    } cases[] = {
        {"zh_CN.GBK", "zh-CN"}, {"en_US.UTF-8", "en-US"}, {"de_DE@euro", "de-DE"},
        {"fr", "fr"},           {"C.UTF-8", "en-US"},     {"C", "en-US"},
        {"POSIX", "en-US"},     {"", "en-US"},            {"xx_yy", "en-US"},
        {"english", "en-US"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageTagFromLocale(c.locale), c.tag) << c.locale;
    }
}

TEST(PlayerFiles, TheBuiltInFilesServeThePageAndRuffleAndNothingBesideThem) {
    EXPECT_EQ(PlayerFilesProblem(""), std::nullopt);
    PlayerRoutes routes("");
    const auto page = routes.Resolve("/page.html");
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->embedded);
    EXPECT_EQ(page->path, "/kest/player/page.html");
    EXPECT_STREQ(page->mimeType, "text/html");
    ASSERT_TRUE(routes.Resolve("/ruffle/ruffle.js"));
    const auto wasm = EmbeddedWebAssembly();
    ASSERT_EQ(wasm.size(), 1u);
    const auto served = routes.Resolve(wasm[0].substr(std::strlen(kEmbeddedPlayerFiles)));
    ASSERT_TRUE(served);
    EXPECT_STREQ(served->mimeType, "application/wasm");
    for (const char* path : {"/ruffle/../page.html", "/ruffle/%2E%2E/scripts/player.js", "/scripts/../page.html", "/ruffle//ruffle.js",
                             "/ruffle/", "/ruffle", "/page.html/", "/ruffle/LICENSE_MIT", "/content/page.html"}) {
        EXPECT_FALSE(routes.Resolve(path)) << path;
    }
}

TEST_F(PlayerRoutesTest, AFolderWithoutThePlayersFilesIsNamedAsTheProblem) {
    EXPECT_NE(PlayerFilesProblem(scratch / "player"), std::nullopt); // no ruffle/ruffle.js
    WriteWholeFile(scratch / "player/ruffle/ruffle.js", "ruffle");
    EXPECT_EQ(PlayerFilesProblem(scratch / "player"), std::nullopt);
    EXPECT_NE(PlayerFilesProblem(scratch / "missing"), std::nullopt);
}

} // namespace
