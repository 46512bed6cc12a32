#include "app/PackerOptions.h"

#include <gtest/gtest.h>

namespace {

using namespace app;

struct Expected {
    std::string output;
    std::string source;
    bool debug = false;
    bool quiet = false;
};

TEST(PackerOptions, EachArgumentIsOneValue) {
    const struct {
        std::vector<std::string> arguments;
        Expected expected;
    } cases[] = {
        {{"-o", "out", "-p", "src"}, {"out", "src"}},
        {{"-oout", "-psrc", "-b"}, {"out", "src", true}},
        {{"-q", "-o", "out", "-p", "src"}, {"out", "src", false, true}},
        {{"-b", "-o", "out", "-p", "src"}, {"out", "src", true}},
        // Blanks and quotation marks inside a value stay; quotation marks
        // around the whole value go.
        {{"-o", "\"/x/precious copy\"", "-p", "src"}, {"/x/precious copy", "src"}},
        {{"-o", "/x/a\" -o \"/x/injected", "-p", "src"}, {"/x/a\" -o \"/x/injected", "src"}},
        {{"-o", "out", "-p", "My \"best\" mag"}, {"out", "My \"best\" mag"}},
        {{"-o", "a-b", "-p", "\tc"}, {"a-b", "\tc"}},
        // Unknown letters are passed over with their value.
        {{"-x", "value", "-O", "other", "-o", "out", "-p", "src"}, {"out", "src"}},
    };
    for (const auto& c : cases) {
        const auto options = ReadPackerOptions(c.arguments);
        ASSERT_TRUE(options) << testing::PrintToString(c.arguments);
        EXPECT_EQ(options->outputPath, c.expected.output);
        EXPECT_EQ(options->sourceFolder, c.expected.source);
        EXPECT_EQ(options->debug, c.expected.debug);
        EXPECT_EQ(options->quiet, c.expected.quiet);
    }
}

TEST(PackerOptions, StrayWordsAndMissingValuesAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"x", "-o", "y", "-p", "z"},
        {"-o", "y", "-p", "z", "extra"},
        {"-x", "--frobnicate", "extra", "-o", "y", "-p", "z"},
        {"-o", "-p", "z"},
        {"-o", "y"},
        {" "},
        {"-b"},
        {"-o", "\"\"", "-p", "z"},
        {"-", "-o", "y", "-p", "z"},
    };
    for (const auto& arguments : cases) {
        EXPECT_FALSE(ReadPackerOptions(arguments)) << testing::PrintToString(arguments);
    }
}

} // namespace
