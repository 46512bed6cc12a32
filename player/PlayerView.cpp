#include "player/PlayerView.h"

#include "player/EngineSandbox.h"
#include "player/PlayerFiles.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <clocale>
#include <initializer_list>
#include <cstdlib>
#include <string>

namespace player {

namespace {

WebKitWebContext* NewContext(PlayerView::Serve serve) {
    WebKitWebContext* context = webkit_web_context_new_ephemeral();
    webkit_web_context_set_sandbox_enabled(context, UseEngineSandbox());
    webkit_web_context_register_uri_scheme(
        context, kPlayerScheme,
        +[](WebKitURISchemeRequest* request, gpointer data) { (*static_cast<PlayerView::Serve*>(data))(request); },
        new PlayerView::Serve(std::move(serve)), +[](gpointer data) { delete static_cast<PlayerView::Serve*>(data); });
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, kPlayerScheme);
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, kPlayerScheme);
    // The web view would otherwise take the locale's name ("C.UTF-8") for a
    // language tag, which the player's start-up rejects.
    const char* locale = std::setlocale(LC_MESSAGES, nullptr);
    const std::string language = LanguageTagFromLocale(locale ? locale : "");
    const gchar* languages[] = {language.c_str(), nullptr};
    webkit_web_context_set_preferred_languages(context, languages);
    return context;
}

WebKitWebView* NewView(WebKitWebContext* context) {
    WebKitUserContentManager* manager = webkit_user_content_manager_new();
    // For comparing pictures: every frame drawn, changed or not.
    if (std::getenv("KEST_EVERY_FRAME")) {
        WebKitUserScript* everyFrame =
            webkit_user_script_new("window.kestEveryFrame = true;", WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                   WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(manager, everyFrame);
        webkit_user_script_unref(everyFrame);
    }
    // Sound plays from the start, as a movie's opening music did in the
    // original player. The engine would hold the sound back until the
    // reader's first click, and Ruffle, finding it held, waits a further
    // 200 ms before the first frame.
    WebKitWebsitePolicies* policies =
        webkit_website_policies_new_with_policies("autoplay", WEBKIT_AUTOPLAY_ALLOW, nullptr);
    auto* view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "user-content-manager",
                                              manager, "website-policies", policies, nullptr));
    g_object_unref(policies);
    g_object_unref(manager);
    g_object_ref_sink(view);
    return view;
}

// No context menu, neither the page's nor the player's: the right button
// never reaches the page.
void RefuseContextMenus(WebKitWebView* view) {
    g_signal_connect(view, "context-menu", G_CALLBACK(+[](GtkWidget*) -> gboolean { return TRUE; }), nullptr);
    for (const char* signal : {"button-press-event", "button-release-event"}) {
        g_signal_connect(view, signal, G_CALLBACK(+[](GtkWidget*, GdkEventButton* event) -> gboolean {
                             return event->button == GDK_BUTTON_SECONDARY ? TRUE : FALSE;
                         }),
                         nullptr);
    }
}

} // namespace

PlayerView::PlayerView(Serve serve) : context(NewContext(std::move(serve))), view(NewView(context)) {
    // For looking into the page: its console goes to standard output.
    if (std::getenv("KEST_PLAYER_CONSOLE")) {
        webkit_settings_set_enable_write_console_messages_to_stdout(webkit_web_view_get_settings(view), TRUE);
    }
    RefuseContextMenus(view);
    gtk_widget_set_can_focus(GTK_WIDGET(view), TRUE);
}

PlayerView::~PlayerView() {
    gtk_widget_destroy(GTK_WIDGET(view));
    g_object_unref(view);
    g_object_unref(context);
}

GtkWidget* PlayerView::Widget() const { return GTK_WIDGET(view); }

} // namespace player
