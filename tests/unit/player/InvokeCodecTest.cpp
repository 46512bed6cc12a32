// The page's invoke codec (res/player/scripts/invoke.js), as the program
// carries it, run in a bare script context: no page, no display.
#include "player/PlayerFiles.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <jsc/jsc.h>

#include <string>

namespace {

using namespace player;

class InvokeCodecTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto file = PlayerRoutes("").Resolve("/scripts/invoke.js");
        ASSERT_TRUE(file && file->embedded);
        GBytes* bytes = g_resources_lookup_data(file->path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
        ASSERT_NE(bytes, nullptr);
        gsize size = 0;
        const auto* text = static_cast<const char*>(g_bytes_get_data(bytes, &size));
        Evaluate(std::string(text, size));
        g_bytes_unref(bytes);
    }
    void TearDown() override { g_object_unref(context); }

    std::string Evaluate(const std::string& code) {
        JSCValue* value = jsc_context_evaluate(context, code.data(), static_cast<gssize>(code.size()));
        if (JSCException* exception = jsc_context_get_exception(context)) {
            ADD_FAILURE() << jsc_exception_get_message(exception);
            jsc_context_clear_exception(context);
        }
        gchar* text = jsc_value_to_string(value);
        std::string result = text;
        g_free(text);
        g_object_unref(value);
        return result;
    }

    JSCContext* context = jsc_context_new();
};

TEST_F(InvokeCodecTest, DecodesTheNameAndEveryKindOfArgument) {
    EXPECT_EQ(Evaluate(R"(const r = kestInvoke.decode('<invoke name="a&amp;b" returntype="xml"><arguments>' +
        '<string>x &lt;y&gt; &amp;amp; &quot;q&quot; &apos;</string><string>1 < 2 & 3</string>' +
        '<number>-30.5</number><true/><false/><null/><undefined/><string/><string></string></arguments></invoke>');
        r.name + "|" + r.args.map((a) => typeof a + ":" + String(a)).join("|"))"),
              "a&b|string:x <y> &amp; \"q\" '|string:1 < 2 & 3|number:-30.5|boolean:true|boolean:false|"
              "object:null|undefined:undefined|string:|string:");
    EXPECT_EQ(Evaluate(R"(JSON.stringify(kestInvoke.decode(" <invoke name='bg'/>")))"), R"({"name":"bg","args":[]})");
    EXPECT_EQ(Evaluate(R"(String(kestInvoke.decode("<call name='bg'/>")))"), "null");
}

TEST_F(InvokeCodecTest, EncodesAnswersEscapedAndNested) {
    EXPECT_EQ(Evaluate(R"(kestInvoke.encode(undefined) + kestInvoke.encode("") + kestInvoke.encode(-1.5))"),
              "<undefined/><string></string><number>-1.5</number>");
    EXPECT_EQ(Evaluate(R"(kestInvoke.encode({ s: "a<b & \"c\" 'd'", list: [true, null, undefined, ""],
                                              inner: { f: false } }))"),
              "<object><property id=\"s\"><string>a&lt;b &amp; &quot;c&quot; &apos;d&apos;</string></property>"
              "<property id=\"list\"><array><property id=\"0\"><true/></property><property id=\"1\"><null/></property>"
              "<property id=\"2\"><undefined/></property><property id=\"3\"><string></string></property></array>"
              "</property><property id=\"inner\"><object><property id=\"f\"><false/></property></object></property>"
              "</object>");
}

} // namespace
