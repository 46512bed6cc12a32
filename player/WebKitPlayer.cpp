#include "player/WebKitPlayer.h"

#include "platform/StartupLog.h"
#include "platform/Text.h"
#include "player/EngineSandbox.h"
#include "player/Links.h"
#include "player/SystemFonts.h"
#include "ui/gtk/MessageBox.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace player {

namespace {

// A script's string argument must be UTF-8; anything else is mended.
GVariant* Arguments(const char* name, const std::string& value) {
    gchar* valid = g_utf8_make_valid(value.data(), static_cast<gssize>(value.size()));
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&builder, "{sv}", name, g_variant_new_string(valid));
    g_free(valid);
    return g_variant_ref_sink(g_variant_builder_end(&builder));
}

std::string StringAt(JSCValue* array, unsigned index) {
    JSCValue* item = jsc_value_object_get_property_at_index(array, index);
    std::string text;
    if (jsc_value_is_string(item)) {
        gchar* chars = jsc_value_to_string(item);
        text = chars;
        g_free(chars);
    }
    g_object_unref(item);
    return text;
}

// Blocks in nested iterations of the main loop until `done` or the deadline.
template <typename Done> bool WaitUntil(Done done, std::chrono::milliseconds timeout) {
    bool timedOut = false;
    const guint timer = g_timeout_add(
        static_cast<guint>(std::max<std::chrono::milliseconds::rep>(timeout.count(), 0)),
        +[](gpointer flag) -> gboolean {
            *static_cast<bool*>(flag) = true;
            return G_SOURCE_REMOVE;
        },
        &timedOut);
    while (!done() && !timedOut) {
        g_main_context_iteration(nullptr, TRUE);
    }
    if (!timedOut) {
        g_source_remove(timer);
    }
    return done();
}

struct PendingCall {
    bool done = false;
    std::string answer;
};

// Calls the movie's callback through the page; the answer comes in later
// turns of the main loop.
std::shared_ptr<PendingCall> SendCall(WebKitWebView* view, GCancellable* cancellable,
                                      const std::string& request) {
    auto* pending = new std::shared_ptr<PendingCall>(std::make_shared<PendingCall>());
    const std::shared_ptr<PendingCall> call = *pending;
    GVariant* arguments = Arguments("request", request);
    webkit_web_view_call_async_javascript_function(
        view, "return await kest.call(request);", -1, arguments, nullptr, nullptr, cancellable,
        +[](GObject* source, GAsyncResult* result, gpointer data) {
            // Owns its share of the call: the caller may have stopped waiting.
            const std::unique_ptr<std::shared_ptr<PendingCall>> mine(
                static_cast<std::shared_ptr<PendingCall>*>(data));
            JSCValue* value = webkit_web_view_call_async_javascript_function_finish(
                WEBKIT_WEB_VIEW(source), result, nullptr);
            if (value && jsc_value_is_string(value)) {
                gchar* text = jsc_value_to_string(value);
                (*mine)->answer = text;
                g_free(text);
            }
            if (value) {
                g_object_unref(value);
            }
            (*mine)->done = true;
        },
        pending);
    g_variant_unref(arguments);
    return call;
}

constexpr const char* kEngineSetting = "JSC_useOMGJIT";
// Whether the engine setting is ours, not the user's: the reader's browser,
// which a link starts, must not inherit it.
bool engineSettingIsOurs = false;

// Opens a movie's link with the desktop's default handler for its scheme.
void OpenLink(GtkWidget* widget, const std::string& uri) {
    GdkAppLaunchContext* launch = gdk_display_get_app_launch_context(gtk_widget_get_display(widget));
    if (engineSettingIsOurs) {
        g_app_launch_context_unsetenv(G_APP_LAUNCH_CONTEXT(launch), kEngineSetting);
    }
    GiveBackReadersCache(G_APP_LAUNCH_CONTEXT(launch));
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

void PrepareProcess() {
    // The engine's optimising tier compiles Ruffle's hottest start-up code on
    // threads that, on a small machine, take the cores the start-up needs:
    // measured, it doubles the player's start. The web process inherits this;
    // a value set by the user is kept.
    engineSettingIsOurs = std::getenv(kEngineSetting) == nullptr;
    setenv(kEngineSetting, "false", 0);
    // Before GTK and the engine read the environment it may change.
    (void)UseEngineSandbox();
}

WebKitPlayer::WebKitPlayer(GtkWidget* layout, const std::string& playerFolder,
                           std::optional<package::ContentFiles> content, std::function<void()> startFailed)
    : WebKitPlayer(playerFolder, std::move(content), std::move(startFailed)) {
    Attach(layout);
}

WebKitPlayer::WebKitPlayer(const std::string& playerFolder, std::optional<package::ContentFiles> content,
                           std::function<void()> startFailed)
    : server(playerFolder, std::move(content)), onStartFailed(std::move(startFailed)),
      watchdog([this](const std::string& why) { Restart(why); }, [this](const std::string& why) { GiveUp(why); }) {
    milestones.created = Clock::now();
    WarnIfNoChineseFont();
    platform::LogStartup(playerFolder.empty() ? "player files in the program" : "player files in " + playerFolder);
    cancellable = g_cancellable_new();
    context = webkit_web_context_new_ephemeral();
    webkit_web_context_set_sandbox_enabled(context, UseEngineSandbox());
    webkit_web_context_register_uri_scheme(context, kPlayerScheme, ServeRequest, this, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, kPlayerScheme);
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, kPlayerScheme);
    // The web view would otherwise take the locale's name ("C.UTF-8") for a
    // language tag, which the player's start-up rejects.
    const char* locale = std::setlocale(LC_MESSAGES, nullptr);
    const std::string language = LanguageTagFromLocale(locale ? locale : "");
    const gchar* languages[] = {language.c_str(), nullptr};
    webkit_web_context_set_preferred_languages(context, languages);

    WebKitUserContentManager* manager = webkit_user_content_manager_new();
    g_signal_connect(manager, "script-message-received::kest", G_CALLBACK(ReceiveMessage), this);
    webkit_user_content_manager_register_script_message_handler(manager, "kest");
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
    view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "user-content-manager",
                                        manager, "website-policies", policies, nullptr));
    g_object_unref(policies);
    g_object_unref(manager);
    g_object_ref_sink(view);
    ConnectView();

    if (const auto problem = PlayerFilesProblem(playerFolder)) {
        // Told once the window is up, like any other failed start.
        failureReason = *problem;
        pendingFailure = g_idle_add(
            +[](gpointer self) -> gboolean {
                auto* player = static_cast<WebKitPlayer*>(self);
                player->pendingFailure = 0;
                player->watchdog.GiveUp(player->failureReason);
                return G_SOURCE_REMOVE;
            },
            this);
        return;
    }
    watchdog.Arm();
    webkit_web_view_load_uri(view, kPageUrl);
}

void WebKitPlayer::ConnectView() {
    // For looking into the page: its console goes to standard output.
    if (std::getenv("KEST_PLAYER_CONSOLE")) {
        webkit_settings_set_enable_write_console_messages_to_stdout(webkit_web_view_get_settings(view),
                                                                   TRUE);
    }
    // No context menu, neither the page's nor the player's: the right button
    // never reaches the page.
    g_signal_connect(view, "context-menu", G_CALLBACK(+[](GtkWidget*) -> gboolean { return TRUE; }), nullptr);
    g_signal_connect(view, "button-press-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventButton* event) -> gboolean {
                         return event->button == GDK_BUTTON_SECONDARY ? TRUE : FALSE;
                     }),
                     nullptr);
    g_signal_connect(view, "button-release-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventButton* event) -> gboolean {
                         return event->button == GDK_BUTTON_SECONDARY ? TRUE : FALSE;
                     }),
                     nullptr);
    g_signal_connect(view, "web-process-terminated",
                     G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self) {
                         if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) {
                             return; // a restart of ours
                         }
                         static_cast<WebKitPlayer*>(self)->watchdog.Failed(
                             reason == WEBKIT_WEB_PROCESS_CRASHED ? "its web process crashed"
                                                                  : "its web process ran out of memory");
                     }),
                     this);
    g_signal_connect(view, "load-failed",
                     G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self) -> gboolean {
                         // A load that a newer one replaced is no failure.
                         if (!g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) {
                             static_cast<WebKitPlayer*>(self)->watchdog.Failed(
                                 std::string("its page did not load (") + uri + ": " + error->message + ")");
                         }
                         return FALSE;
                     }),
                     this);
    g_signal_connect(view, "decide-policy", G_CALLBACK(DecidePolicy), this);
    // A new window would be a page that is not ours; links go to the desktop.
    g_signal_connect(view, "create", G_CALLBACK(+[](WebKitWebView*, WebKitNavigationAction*) -> GtkWidget* {
                         return nullptr;
                     }),
                     nullptr);
    gtk_widget_set_can_focus(GTK_WIDGET(view), TRUE);
}

int WebKitPlayer::DecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, int type, void* data) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        return FALSE; // responses to what the page may load
    }
    auto* self = static_cast<WebKitPlayer*>(data);
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const std::string uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    const Navigation navigation = ClassifyNavigation(uri);
    if (navigation == Navigation::PlayerPage && type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
        webkit_policy_decision_use(decision);
        return TRUE;
    }
    webkit_policy_decision_ignore(decision);
    self->FollowLink(uri);
    return TRUE;
}

void WebKitPlayer::FollowLink(const std::string& uri) {
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

void WebKitPlayer::OpenDueLinks() {
    const auto now = LinkQueue::Clock::now();
    if (const auto uri = links.TakeDue(now)) {
        OpenLink(GTK_WIDGET(view), *uri);
    }
    const auto wait = links.NextDueIn(now);
    if (wait && linkSource == 0) {
        linkSource = g_timeout_add(
            static_cast<guint>(wait->count()),
            +[](gpointer self) -> gboolean {
                auto* player = static_cast<WebKitPlayer*>(self);
                player->linkSource = 0;
                player->OpenDueLinks();
                return G_SOURCE_REMOVE;
            },
            this);
    }
}

void WebKitPlayer::Restart(const std::string& why) {
    std::fprintf(stderr, "kest: starting the movie again: %s\n", why.c_str());
    pageReady = false;
    ++pageGeneration;
    startupOver = false;
    DropWaitingScripts();
    if (movieUrl) {
        GVariant* arguments = Arguments("url", *movieUrl);
        RunScript("kest.load(url);", arguments);
        g_variant_unref(arguments);
    }
    if (playing) {
        RunScript("kest.play();", nullptr);
    }
    for (const std::string& request : startCalls) {
        SendStartCall(request);
    }
    watchdog.Arm();
    // A page that hangs is not reloaded by its own process: a new one is.
    webkit_web_view_terminate_web_process(view);
    webkit_web_view_load_uri(view, kPageUrl);
}

void WebKitPlayer::GiveUp(const std::string& why) {
    std::fprintf(stderr, "kest: the movie could not be started: %s\n", why.c_str());
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
    ui::MessageBox(GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr, kStartFailedText, kStartFailedCaption);
    if (onStartFailed) {
        onStartFailed();
    }
}

WebKitPlayer::~WebKitPlayer() {
    for (const unsigned source : {pendingFailure, deliverySource, linkSource}) {
        if (source != 0) {
            g_source_remove(source);
        }
    }
    g_cancellable_cancel(cancellable);
    g_object_unref(cancellable);
    DropWaitingScripts();
    if (window) {
        g_signal_handlers_disconnect_by_data(window, this);
        g_object_remove_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
    }
    g_signal_handlers_disconnect_by_data(webkit_web_view_get_user_content_manager(view), this);
    g_signal_handlers_disconnect_by_data(view, this);
    gtk_widget_destroy(GTK_WIDGET(view));
    g_object_unref(view);
    g_object_unref(context);
}

GtkWidget* WebKitPlayer::Widget() const { return GTK_WIDGET(view); }

void WebKitPlayer::Attach(GtkWidget* layout) {
    WatchWindow(gtk_widget_get_toplevel(layout));
    gtk_layout_put(GTK_LAYOUT(layout), GTK_WIDGET(view), 0, 0);
    gtk_widget_show(GTK_WIDGET(view));
}

void WebKitPlayer::Move(const ui::Rect& clientRect) {
    GtkWidget* widget = GTK_WIDGET(view);
    if (GtkWidget* parent = gtk_widget_get_parent(widget)) {
        gtk_layout_move(GTK_LAYOUT(parent), widget, clientRect.left, clientRect.top);
    }
    gtk_widget_set_size_request(widget, std::max(clientRect.Width(), 0),
                                std::max(clientRect.Height(), 0));
}

void WebKitPlayer::SetVisible(bool visible) { gtk_widget_set_visible(GTK_WIDGET(view), visible); }

void WebKitPlayer::WatchWindow(GtkWidget* toplevel) {
    if (!GTK_IS_WINDOW(toplevel)) {
        return;
    }
    window = toplevel;
    g_object_add_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
    // The web view itself notices only a minimised window; a covered one or
    // one on another workspace it would go on painting, or stop painting and
    // ticking both.
    gtk_widget_add_events(window, GDK_VISIBILITY_NOTIFY_MASK | GDK_STRUCTURE_MASK);
    for (const char* signal : {"window-state-event", "map-event", "unmap-event", "visibility-notify-event"}) {
        g_signal_connect(window, signal, G_CALLBACK(WindowChanged), this);
    }
}

int WebKitPlayer::WindowChanged(GtkWidget*, GdkEvent* event, void* data) {
    auto* self = static_cast<WebKitPlayer*>(data);
    switch (event->type) {
    case GDK_WINDOW_STATE:
        self->windowIconified = (event->window_state.new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
        break;
    case GDK_MAP:
        self->windowUnmapped = false;
        break;
    case GDK_UNMAP:
        self->windowUnmapped = true;
        break;
    case GDK_VISIBILITY_NOTIFY:
        self->windowCovered = event->visibility.state == GDK_VISIBILITY_FULLY_OBSCURED;
        break;
    default:
        break;
    }
    // A minimised window's page the engine hides by itself; that of a view
    // that is not mapped too.
    const bool hidden = !self->windowIconified && (self->windowUnmapped || self->windowCovered);
    if (hidden != self->viewUnmapped) {
        self->viewUnmapped = hidden;
        GtkWidget* widget = GTK_WIDGET(self->view);
        // Unmapping takes the keyboard focus away; the view gets it back.
        if (hidden) {
            self->hadFocus = gtk_window_get_focus(GTK_WINDOW(self->window)) == widget;
        }
        gtk_widget_set_child_visible(widget, !hidden);
        if (!hidden && self->hadFocus) {
            gtk_widget_grab_focus(widget);
        }
    }
    return FALSE;
}

void WebKitPlayer::ServeRequest(WebKitURISchemeRequest* request, void* self) {
    auto* player = static_cast<WebKitPlayer*>(self);
    player->server.Serve(request);
    player->watchdog.Progress();
}

void WebKitPlayer::ReceiveMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                  void* data) {
    auto* self = static_cast<WebKitPlayer*>(data);
    // Only our page speaks to the host.
    const char* page = webkit_web_view_get_uri(self->view);
    JSCValue* message = webkit_javascript_result_get_js_value(result);
    if (page != nullptr && ClassifyNavigation(page) == Navigation::PlayerPage && jsc_value_is_array(message)) {
        self->OnMessage(StringAt(message, 0), StringAt(message, 1), StringAt(message, 2));
    }
}

void WebKitPlayer::OnMessage(const std::string& kind, const std::string& first,
                             const std::string& second) {
    // Once the movie runs, what the page says about its start is no longer
    // taken: only the movie's commands and links are, whatever else a
    // script sends.
    if (startupOver && kind != "fscommand" && kind != "link") {
        return;
    }
    if (kind == "link") {
        FollowLink(first);
    } else if (kind == "fscommand") {
        if (!milestones.firstFsCommand) {
            milestones.firstFsCommand = Clock::now();
            platform::LogStartup("first fscommand");
        }
        QueueFsCommand(first, second);
        DeliverFsCommands();
    } else if (kind == "ready") {
        milestones.pageReady = Clock::now();
        platform::LogStartup("page ready");
        pageReady = true;
        if (movieUrl) {
            watchdog.Progress();
        } else {
            watchdog.Satisfied();
        }
        while (!waitingScripts.empty()) {
            const auto [body, arguments] = waitingScripts.front();
            waitingScripts.pop_front();
            RunScript(body, arguments);
            if (arguments) {
                g_variant_unref(arguments);
            }
        }
    } else if (kind == "mark" && first == "ruffle") {
        milestones.ruffleReady = Clock::now();
        platform::LogStartup("ruffle ready");
        watchdog.Progress();
    } else if (kind == "mark" && first == "movie") {
        milestones.movieLoaded = Clock::now();
        platform::LogStartup("movie loaded");
        startupOver = true;
        watchdog.Satisfied();
    } else if (kind == "mark" && first == "missing") {
        // The player works; the movie is not there, which the viewer tells.
        std::fprintf(stderr, "kest: the player could not load the movie: %s\n",
                     platform::PrintableText(second, platform::kLoggedTextBytes).c_str());
        startupOver = true;
        watchdog.Satisfied();
    } else if (kind == "mark" && first == "failed") {
        watchdog.Failed("Ruffle did not start it (" + second + ")");
    } else if (kind == "mark") {
        platform::LogStartup("page: " + first + " " + second); // a page's own milestones
    }
}

void WebKitPlayer::QueueFsCommand(const std::string& command, const std::string& args) {
    const size_t bytes = command.size() + args.size();
    if (fsCommands.size() >= kMaxQueuedCommands || queuedBytes + bytes > kMaxQueuedBytes) {
        if (!droppedCommands) {
            std::fputs(
                "kest: the movie sends commands faster than they are answered; some are dropped\n",
                stderr);
            droppedCommands = true;
        }
        return;
    }
    fsCommands.emplace_back(command, args);
    queuedBytes += bytes;
}

// A handler that calls into the player waits in a nested loop, where further
// commands may arrive; they queue up behind the one being handled. Only the
// commands waiting when delivery starts are delivered before the main loop
// runs again: a movie that answers every reply with another command would
// otherwise keep the window from ever closing.
void WebKitPlayer::DeliverFsCommands() {
    if (delivering) {
        return;
    }
    delivering = true;
    for (size_t count = fsCommands.size(); count > 0; --count) {
        const auto [command, args] = std::move(fsCommands.front());
        fsCommands.pop_front();
        queuedBytes -= command.size() + args.size();
        if (fsCommand) {
            fsCommand(command, args);
        }
    }
    delivering = false;
    if (!fsCommands.empty() && deliverySource == 0) {
        deliverySource = g_idle_add(
            +[](gpointer self) -> gboolean {
                auto* player = static_cast<WebKitPlayer*>(self);
                player->deliverySource = 0;
                player->DeliverFsCommands();
                return G_SOURCE_REMOVE;
            },
            this);
    }
}

void WebKitPlayer::DropWaitingScripts() {
    for (auto& [body, arguments] : waitingScripts) {
        if (arguments) {
            g_variant_unref(arguments);
        }
    }
    waitingScripts.clear();
}

void WebKitPlayer::RunScript(const char* body, GVariant* arguments) {
    if (!pageReady) {
        waitingScripts.emplace_back(body, arguments ? g_variant_ref(arguments) : nullptr);
        return;
    }
    webkit_web_view_call_async_javascript_function(view, body, -1, arguments, nullptr, nullptr,
                                                   cancellable, nullptr, nullptr);
}

void WebKitPlayer::LoadMovie(int layer, const std::string& url) {
    if (layer != 0) {
        return; // movies of other levels are never used
    }
    movieUrl = server.Routes().MovieUrl(url);
    playing = false;
    GVariant* arguments = Arguments("url", *movieUrl);
    RunScript("kest.load(url);", arguments);
    g_variant_unref(arguments);
    watchdog.Expect();
}

void WebKitPlayer::Play() {
    playing = true;
    RunScript("kest.play();", nullptr);
}

std::string WebKitPlayer::CallFunction(const std::string& request) {
    // A call made while the movie starts waits for the start too, which the
    // watchdog bounds.
    const auto bound = [this] { return startupOver ? kCallTimeout : kCallTimeout + kStartBound; };
    auto deadline = Clock::now() + bound();
    const auto left = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    };
    for (;;) {
        if (!pageReady && !WaitUntil([this] { return pageReady; }, left())) {
            return {};
        }
        const unsigned generation = pageGeneration;
        const std::shared_ptr<PendingCall> call = SendCall(view, cancellable, request);
        if (!WaitUntil([&] { return call->done || pageGeneration != generation; }, left())) {
            std::fprintf(stderr, "kest: the movie did not answer in time: %s\n",
                         platform::PrintableText(request, platform::kLoggedTextBytes).c_str());
            return {};
        }
        if (pageGeneration == generation) {
            return call->answer;
        }
        // A movie whose start stalled was started again: the call, which its
        // first page never answered, goes to the new one.
        deadline = Clock::now() + bound();
    }
}

void WebKitPlayer::CallOnStart(const std::string& request) {
    startCalls.push_back(request);
    SendStartCall(request);
}

void WebKitPlayer::SendStartCall(const std::string& request) {
    // The page's call waits for the movie to run and register its callbacks.
    GVariant* arguments = Arguments("request", request);
    RunScript("kest.call(request);", arguments);
    g_variant_unref(arguments);
}

void WebKitPlayer::SetFsCommandHandler(ui::FsCommandHandler handler) { fsCommand = std::move(handler); }

ui::PlayerFactory WebKitPlayers(std::string playerFolder, std::optional<package::ContentFiles> content,
                                std::function<void()> onStartFailed, std::unique_ptr<WebKitPlayer> first) {
    // Copies of the factory share the one first player.
    auto spare = std::make_shared<std::unique_ptr<WebKitPlayer>>(std::move(first));
    return [folder = std::move(playerFolder), content = std::move(content), failed = std::move(onStartFailed),
            spare](GtkWidget* layout) -> std::unique_ptr<ui::PlayerPeer> {
        if (std::unique_ptr<WebKitPlayer> player = std::move(*spare)) {
            player->Attach(layout);
            return player;
        }
        return std::make_unique<WebKitPlayer>(layout, folder, content, failed);
    };
}

} // namespace player
