#include "player/SystemFonts.h"

#include <fontconfig/fontconfig.h>
#include <glib.h>

#include <cstdio>

namespace player {

namespace {

bool HasChineseFont() {
    FcPattern* pattern = FcPatternCreate();
    FcLangSet* languages = FcLangSetCreate();
    FcLangSetAdd(languages, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcPatternAddLangSet(pattern, FC_LANG, languages);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    const bool found = fonts != nullptr && fonts->nfont > 0;
    if (fonts != nullptr) {
        FcFontSetDestroy(fonts);
    }
    FcObjectSetDestroy(objects);
    FcLangSetDestroy(languages);
    FcPatternDestroy(pattern);
    return found;
}

} // namespace

void WarnIfNoChineseFont() {
    static bool asked = false;
    if (asked) {
        return;
    }
    asked = true;
    g_idle_add_full(
        G_PRIORITY_LOW,
        +[](gpointer) -> gboolean {
            if (!HasChineseFont()) {
                std::fprintf(stderr, "kest: no font with Chinese is installed, so Chinese text is not drawn; "
                                     "the package fonts-noto-cjk (or fonts-wqy-microhei) brings one\n");
            }
            return G_SOURCE_REMOVE;
        },
        nullptr, nullptr);
}

} // namespace player
