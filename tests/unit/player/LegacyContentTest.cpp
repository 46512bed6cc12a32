// What movies of the original platform get of their files: generic device
// font names respelt, code page 936 text as UTF-8.
#include "player/CodePageText.h"
#include "player/GenericFontNames.h"

#include <gtest/gtest.h>
#include <lzma.h>
#include <zlib.h>

#include <string>

namespace {

using namespace player;
using namespace std::string_literals;

std::string Header(char signature, size_t length) {
    std::string header = {signature, 'W', 'S', 10};
    for (int i = 0; i < 4; ++i) {
        header += static_cast<char>(length >> (8 * i) & 0xFF);
    }
    return header;
}

std::string Compressed(const std::string& body) {
    uLongf size = compressBound(body.size());
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(body.data()),
             body.size());
    packed.resize(size);
    return Header('C', 8 + body.size()) + packed;
}

// As Flash writes them: raw LZMA data without an end marker, after the
// compressed length and the coder's properties.
std::string LzmaCompressed(const std::string& body) {
    lzma_options_lzma options{};
    lzma_lzma_preset(&options, 6);
    options.ext_size_low = static_cast<uint32_t>(body.size());
    const lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    std::string packed(body.size() + 1024, '\0');
    size_t size = 0;
    EXPECT_EQ(lzma_raw_buffer_encode(filters, nullptr, reinterpret_cast<const uint8_t*>(body.data()), body.size(),
                                     reinterpret_cast<uint8_t*>(packed.data()), &size, packed.size()),
              LZMA_OK);
    packed.resize(size);
    const lzma_filter lzma1 = {LZMA_FILTER_LZMA1, &options};
    std::string properties(5, '\0');
    EXPECT_EQ(lzma_properties_encode(&lzma1, reinterpret_cast<uint8_t*>(properties.data())), LZMA_OK);
    return Header('Z', 8 + body.size()) + Header('Z', size).substr(4) + properties + packed;
}

// Every way a movie holds a generic name is respelt; names that merely
// contain one are not.
const std::string kBody = "push\0_sans\0font\x06_serif\0abc\x0b_typewriter html face=\"_sans\" my_sans\0_sansserif\0"s;
const std::string kRespelt = "push\0_Sans\0font\x06_Serif\0abc\x0b_Typewriter html face=\"_Sans\" my_sans\0_sansserif\0"s;

TEST(GenericFontNamesTest, RespellsWholeNamesInPlainAndCompressedMovies) {
    EXPECT_EQ(RespellGenericFontNames(Header('F', 8 + kBody.size()) + kBody),
              Header('F', 8 + kBody.size()) + kRespelt);
    EXPECT_EQ(RespellGenericFontNames(Compressed(kBody)), Header('F', 8 + kBody.size()) + kRespelt);
    EXPECT_EQ(RespellGenericFontNames(LzmaCompressed(kBody)), Header('F', 8 + kBody.size()) + kRespelt);
}

TEST(GenericFontNamesTest, LeavesOtherFilesAndDamagedMoviesAlone) {
    EXPECT_FALSE(RespellGenericFontNames(Header('F', 20) + "no generic names"));
    EXPECT_FALSE(RespellGenericFontNames("GIF89a_sans"));
    EXPECT_FALSE(RespellGenericFontNames(Header('X', 20) + "\0_sans\0"s));
    EXPECT_FALSE(RespellGenericFontNames(Header('C', 8 + kBody.size()) + "not zlib data"));
    EXPECT_FALSE(RespellGenericFontNames(Header('C', kMaxRespeltMovie + 1) + Compressed(kBody).substr(8)));
    EXPECT_FALSE(RespellGenericFontNames("CWS"));
    // Cut inside its properties; properties no LZMA coder has.
    const std::string lzma = LzmaCompressed(kBody);
    EXPECT_FALSE(RespellGenericFontNames(lzma.substr(0, 16)));
    EXPECT_FALSE(RespellGenericFontNames(lzma.substr(0, 12) + "\xff" + lzma.substr(13)));
    // A movie cut short plays as far as it goes, so it is respelt as far.
    const std::string tail(4000, 'x');
    for (const std::string& packed : {Compressed(kBody + tail), LzmaCompressed(kBody + tail)}) {
        const auto cut = RespellGenericFontNames(packed.substr(0, packed.size() - 8));
        ASSERT_TRUE(cut);
        EXPECT_EQ(cut->substr(8, kRespelt.size()), kRespelt);
    }
}

TEST(CodePageTextTest, ServesGbkTextAsMarkedUtf8) {
    EXPECT_EQ(Cp936TextAsUtf8("title=\xD6\xD0\xCE\xC4"), "\xEF\xBB\xBFtitle=中文");
    EXPECT_EQ(Cp936TextAsUtf8("<a>\xD6\xD0</a>&x=%D6%D0"), "\xEF\xBB\xBF<a>中</a>&x=%E4%B8%AD");
    // Escaped GBK in ASCII text: converted, and no mark to trip a variable name.
    EXPECT_EQ(Cp936TextAsUtf8("title=%D6%D0%ce%c4&n=1%20"), "title=%E4%B8%AD%E6%96%87&n=1%20");
}

TEST(CodePageTextTest, LeavesUtf8MarkedAndBinaryContentAlone) {
    EXPECT_FALSE(Cp936TextAsUtf8("plain ASCII, 100%"));
    EXPECT_FALSE(Cp936TextAsUtf8("已是 UTF-8 %E4%B8%AD"));
    EXPECT_FALSE(Cp936TextAsUtf8("\xEF\xBB\xBF\xD6\xD0"));
    EXPECT_FALSE(Cp936TextAsUtf8("\xFF\xFEh\0i\0"));
    EXPECT_FALSE(Cp936TextAsUtf8("\x80\xFF\x01 no GBK"));
    EXPECT_TRUE(IsTextFileName("data/NEWS.TXT"));
    EXPECT_TRUE(IsTextFileName("menu.xml"));
    EXPECT_FALSE(IsTextFileName("cover.jpg"));
    EXPECT_FALSE(IsTextFileName("notes.txt/cover"));
}

} // namespace
