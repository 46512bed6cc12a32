#include "player/PageMessage.h"

#include <gtest/gtest.h>

namespace {

using namespace player;

TEST(PageMessageTest, EachKindIsReadWithItsTextsAndUnknownOnesAreNot) {
    EXPECT_TRUE(std::holds_alternative<page::Ready>(*ReadPageMessage("ready", "", "")));
    EXPECT_TRUE(std::holds_alternative<page::RuffleReady>(*ReadPageMessage("mark", "ruffle", "")));
    EXPECT_TRUE(std::holds_alternative<page::MovieLoaded>(*ReadPageMessage("mark", "movie", "")));
    EXPECT_EQ(std::get<page::MovieMissing>(*ReadPageMessage("mark", "missing", "404")).why, "404");
    EXPECT_EQ(std::get<page::RuffleFailed>(*ReadPageMessage("mark", "failed", "oops")).why, "oops");
    EXPECT_EQ(std::get<page::RuffleTrapped>(*ReadPageMessage("trapped", "RuntimeError", "")).why, "RuntimeError");
    const auto milestone = std::get<page::Milestone>(*ReadPageMessage("mark", "fonts", "12 ms"));
    EXPECT_EQ(milestone.name + "|" + milestone.detail, "fonts|12 ms");
    const auto command = std::get<page::FsCommand>(*ReadPageMessage("fscommand", "hdgetreg", "a|b"));
    EXPECT_EQ(command.command + "|" + command.args, "hdgetreg|a|b");
    EXPECT_EQ(std::get<page::Link>(*ReadPageMessage("link", "mailto:a", "")).uri, "mailto:a");
    for (const char* unknown : {"", "Ready", "fscommand ", "call"}) {
        EXPECT_FALSE(ReadPageMessage(unknown, "x", "y")) << unknown;
    }
}

TEST(PageMessageTest, OnceTheMovieRunsOnlyItsCommandsLinksAndATrapAreTaken) {
    EXPECT_TRUE(TakenOnceRunning(page::FsCommand{"c", "a"}));
    EXPECT_TRUE(TakenOnceRunning(page::Link{"https://a/"}));
    EXPECT_TRUE(TakenOnceRunning(page::RuffleTrapped{"RuntimeError: unreachable"}));
    for (const char* kind : {"ready", "mark"}) {
        for (const char* name : {"ruffle", "movie", "missing", "failed", "other"}) {
            EXPECT_FALSE(TakenOnceRunning(*ReadPageMessage(kind, name, ""))) << kind << " " << name;
        }
    }
}

} // namespace
