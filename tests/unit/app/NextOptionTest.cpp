#include "app/NextOption.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using namespace app;

using Option = std::pair<char, std::string>;

// Every option of a command line, read as packer mode reads them.
std::vector<Option> ReadAll(const std::string& commandLine) {
    std::vector<Option> options;
    int position = 0;
    while (position >= 0 && static_cast<size_t>(position) < commandLine.size()) {
        char letter = 'x';
        std::string argument = "junk";
        position = NextOption(commandLine, position, letter, argument);
        options.emplace_back(letter, argument);
    }
    return options;
}

TEST(NextOption, CommandLines) {
    const struct {
        std::string commandLine;
        std::vector<Option> expected;
    } cases[] = {
        {"-o out.exe -p src", {{'o', "out.exe"}, {'p', "src"}}},
        {"-b -o out.exe", {{'b', ""}, {'o', "out.exe"}}},
        {"-oout.exe", {{'o', "out.exe"}}},
        {"-o \"C:\\My Files\\out.exe\" -p src", {{'o', "\"C:\\My Files\\out.exe\""}, {'p', "src"}}},
        {"x -o y", {{'\0', "x"}, {'o', "y"}}},
        {" ", {{'\0', ""}}},
        {"-b", {{'b', ""}}},
        {"-o\ta", {{'o', "\ta"}}},
        {"-o a-b -p c", {{'o', "a-b"}, {'p', "c"}}},
        {"-o -p", {{'o', ""}, {'p', ""}}},
        {"-o a\"b c\"d", {{'o', "a\"b c\"d"}}},
        {"-o \"unterminated x", {{'o', "\"unterminated x"}}},
        {"-O a", {{'O', "a"}}},
        {"--o a", {{'-', "o"}, {'\0', "a"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadAll(c.commandLine), c.expected) << "command line: [" << c.commandLine << "]";
    }
}

TEST(NextOption, ReturnsPositionOfNextToken) {
    char letter = 0;
    std::string argument;
    // After a word the next call starts past the blank.
    EXPECT_EQ(NextOption("-o a -p b", 0, letter, argument), 5);
    // An option letter followed by a gap stops on the next '-'.
    EXPECT_EQ(NextOption("-b   -o x", 0, letter, argument), 5);
    // At the end of the text the position of the NUL comes back.
    EXPECT_EQ(NextOption("-p b", 3, letter, argument), 4);
    EXPECT_EQ(argument, "b");
}

} // namespace
