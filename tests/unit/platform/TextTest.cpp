// The host's encoding as the locale gives it, and stepping by characters.
#include "platform/Text.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(Text, TheLocalesCodeSetChoosesTheHostsEncoding) {
    const struct {
        const char* codeSet;
        const char* host;
    } cases[] = {
        {"UTF-8", "UTF-8"},       {"utf8", "UTF-8"},     {"ANSI_X3.4-1968", "UTF-8"},
        {"ASCII", "UTF-8"},       {"", "UTF-8"},         {nullptr, "UTF-8"},
        {"GBK", "CP936"},         {"GB2312", "CP936"},   {"GB18030", "GB18030"},
        {"ISO-8859-1", "ISO-8859-1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostEncodingFor(c.codeSet), c.host) << (c.codeSet ? c.codeSet : "(none)");
    }
    // The plain C locale, as a process without LANG has it.
    setenv("LC_ALL", "C", 1);
    SetHostEncoding("GBK");
    ChooseHostEncoding();
    EXPECT_EQ(HostEncoding(), "UTF-8");
    EXPECT_TRUE(HostIsUtf8());
    unsetenv("LC_ALL");
    std::setlocale(LC_ALL, "C");
}

TEST(Text, StepsNeverTakeAnAsciiByteOfUtf8) {
    const struct {
        const char* text;
        int32_t utf8;
        int32_t cp936;
    } cases[] = {
        {"\xE4\xB8\xAD\"", 3, 2}, {"\xC3\xA9\"", 2, 2}, {"\xF0\x9F\x98\x80", 4, 2},
        {"\xE4\"", 1, 2},         {"\xE4\xB8\"", 1, 2}, {"\xC0\x80", 1, 2},
        {"\xF5\x80\x80\x80", 1, 2}, {"\xB8\"", 1, 2},  {"\x81", 1, 1},
        {"a", 1, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CharLength(c.text, Encoding::Utf8), c.utf8) << c.text;
        EXPECT_EQ(CharLength(c.text, Encoding::Cp936), c.cp936) << c.text;
    }
    // A character is never taken beyond the bytes allowed.
    EXPECT_EQ(CharLength("\xE4\xB8\xAD", Encoding::Utf8, 2), 1);
    EXPECT_EQ(CharLength("\xD6\xD0", Encoding::Cp936, 1), 1);
}

} // namespace
