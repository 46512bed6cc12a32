#include "player/LinkOpener.h"

#include "platform/Text.h"
#include "player/ProcessEnvironment.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <memory>

namespace player {

namespace {

// Opens a movie's link with the desktop's default handler for its scheme.
void OpenLink(GtkWidget* widget, const std::string& uri) {
    GdkAppLaunchContext* launch = gdk_display_get_app_launch_context(gtk_widget_get_display(widget));
    GiveBackReadersEnvironment(G_APP_LAUNCH_CONTEXT(launch));
    g_app_info_launch_default_for_uri_async(
        uri.c_str(), G_APP_LAUNCH_CONTEXT(launch), nullptr,
        +[](GObject*, GAsyncResult* result, gpointer data) {
            const std::unique_ptr<std::string> link(static_cast<std::string*>(data));
            GError* error = nullptr;
            if (!g_app_info_launch_default_for_uri_finish(result, &error)) {
                std::fprintf(stderr, "kest: the movie's link %s could not be opened: %s\n",
                             platform::PrintableText(*link, platform::kLoggedTextBytes).c_str(), error->message);
                g_error_free(error);
            }
        },
        new std::string(uri));
    g_object_unref(launch);
}

} // namespace

LinkOpener::LinkOpener(WebKitWebView* pageView) : view(pageView) {
    g_signal_connect(view, "decide-policy", G_CALLBACK(DecidePolicy), this);
    // A new window would be a page that is not ours; links go to the desktop.
    g_signal_connect(view, "create", G_CALLBACK(+[](WebKitWebView*, WebKitNavigationAction*) -> GtkWidget* {
                         return nullptr;
                     }),
                     nullptr);
}

LinkOpener::~LinkOpener() {
    if (timer != 0) {
        g_source_remove(timer);
    }
    g_signal_handlers_disconnect_by_data(view, this);
}

int LinkOpener::DecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, int type, void* data) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        return FALSE; // responses to what the page may load
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const std::string uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (ClassifyNavigation(uri) == Navigation::PlayerPage && type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
        webkit_policy_decision_use(decision);
        return TRUE;
    }
    webkit_policy_decision_ignore(decision);
    static_cast<LinkOpener*>(data)->Follow(uri);
    return TRUE;
}

void LinkOpener::Follow(const std::string& uri) {
    if (ClassifyNavigation(uri) != Navigation::Link) {
        std::fprintf(stderr, "kest: the movie's link %s is not opened: only http, https and mailto links open\n",
                     platform::PrintableText(uri, platform::kLoggedTextBytes).c_str());
    } else if (!links.Add(uri)) {
        std::fprintf(stderr, "kest: the movie's link %s is not opened: %zu others wait their turn (one a second)\n",
                     platform::PrintableText(uri, platform::kLoggedTextBytes).c_str(), LinkQueue::kMaxWaiting);
    } else {
        OpenDueLinks();
    }
}

void LinkOpener::OpenDueLinks() {
    const auto now = LinkQueue::Clock::now();
    if (const auto uri = links.TakeDue(now)) {
        OpenLink(GTK_WIDGET(view), *uri);
    }
    const auto wait = links.NextDueIn(now);
    if (wait && timer == 0) {
        timer = g_timeout_add(
            static_cast<guint>(wait->count()),
            +[](gpointer self) -> gboolean {
                auto* opener = static_cast<LinkOpener*>(self);
                opener->timer = 0;
                opener->OpenDueLinks();
                return G_SOURCE_REMOVE;
            },
            this);
    }
}

} // namespace player
