#include "player/WebKitPlayer.h"

#include "platform/StartupLog.h"

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

void Answer404(WebKitURISchemeRequest* request) {
    GInputStream* empty = g_memory_input_stream_new();
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(empty, 0);
    webkit_uri_scheme_response_set_status(response, 404, "Not Found");
    webkit_uri_scheme_response_set_content_type(response, "text/plain");
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(empty);
}

// The web view reads a response in small pieces, one turn of the main loop
// each. A file stream answers every piece from a worker thread; a memory
// stream answers at once, which delivers Ruffle's 14 MB WebAssembly about a
// quarter faster. Files too large to hold are streamed.
constexpr std::uintmax_t kMaxFileInMemory = 64 << 20;

// `size` is the file size seen before; it becomes the size of what is served.
GInputStream* OpenServedFile(const std::string& path, std::uintmax_t& size) {
    if (size <= kMaxFileInMemory) {
        gchar* contents = nullptr;
        gsize length = 0;
        if (!g_file_get_contents(path.c_str(), &contents, &length, nullptr)) {
            return nullptr;
        }
        size = length;
        GBytes* bytes = g_bytes_new_take(contents, length);
        GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
        g_bytes_unref(bytes);
        return stream;
    }
    GFile* handle = g_file_new_for_path(path.c_str());
    GFileInputStream* stream = g_file_read(handle, nullptr, nullptr);
    g_object_unref(handle);
    return G_INPUT_STREAM(stream);
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

} // namespace

void PrepareProcess() {
    // The engine's optimising tier compiles Ruffle's hottest start-up code on
    // threads that, on a small machine, take the cores the start-up needs:
    // measured, it doubles the player's start. The web process inherits this;
    // a value set by the user is kept.
    setenv("JSC_useOMGJIT", "false", 0);
}

WebKitPlayer::WebKitPlayer(GtkWidget* layout, const std::string& playerFolder)
    : routes(playerFolder) {
    milestones.created = Clock::now();
    platform::LogStartup("player files in " + playerFolder);
    cancellable = g_cancellable_new();
    context = webkit_web_context_new_ephemeral();
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
    view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context,
                                        "user-content-manager", manager, nullptr));
    g_object_unref(manager);
    g_object_ref_sink(view);
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
                     G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason reason) {
                         std::fprintf(stderr, "kest: the movie player's web process ended (%s)\n",
                                      reason == WEBKIT_WEB_PROCESS_CRASHED ? "crashed"
                                      : reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT
                                          ? "out of memory"
                                          : "terminated");
                     }),
                     nullptr);
    gtk_widget_set_can_focus(GTK_WIDGET(view), TRUE);
    WatchWindow(gtk_widget_get_toplevel(layout));
    gtk_layout_put(GTK_LAYOUT(layout), GTK_WIDGET(view), 0, 0);
    gtk_widget_show(GTK_WIDGET(view));
    webkit_web_view_load_uri(view, kPageUrl);
}

WebKitPlayer::~WebKitPlayer() {
    g_cancellable_cancel(cancellable);
    g_object_unref(cancellable);
    for (auto& [body, arguments] : waitingScripts) {
        if (arguments) {
            g_variant_unref(arguments);
        }
    }
    if (window) {
        g_signal_handlers_disconnect_by_data(window, this);
        g_object_remove_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
    }
    g_signal_handlers_disconnect_by_data(webkit_web_view_get_user_content_manager(view), this);
    gtk_widget_destroy(GTK_WIDGET(view));
    g_object_unref(view);
    g_object_unref(context);
}

GtkWidget* WebKitPlayer::Widget() const { return GTK_WIDGET(view); }

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
    const auto& routes = static_cast<WebKitPlayer*>(self)->routes;
    const std::string prefix = std::string(kPlayerOrigin) + "/";
    std::optional<ServedFile> file;
    if (g_str_has_prefix(webkit_uri_scheme_request_get_uri(request), prefix.c_str())) {
        file = routes.Resolve(webkit_uri_scheme_request_get_path(request));
    }
    std::error_code error;
    std::uintmax_t size = file ? std::filesystem::file_size(file->path, error) : 0;
    GInputStream* stream = file && !error ? OpenServedFile(file->path, size) : nullptr;
    if (!stream) {
        Answer404(request);
        return;
    }
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, static_cast<gint64>(size));
    webkit_uri_scheme_response_set_content_type(response, file->mimeType);
    // The type must also be a header: streaming compilation checks it there.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_replace(headers, "Content-Type", file->mimeType);
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(stream);
}

void WebKitPlayer::ReceiveMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                  void* self) {
    JSCValue* message = webkit_javascript_result_get_js_value(result);
    if (jsc_value_is_array(message)) {
        static_cast<WebKitPlayer*>(self)->OnMessage(StringAt(message, 0), StringAt(message, 1),
                                                    StringAt(message, 2));
    }
}

void WebKitPlayer::OnMessage(const std::string& kind, const std::string& first,
                             const std::string& second) {
    if (kind == "fscommand") {
        if (!milestones.firstFsCommand) {
            milestones.firstFsCommand = Clock::now();
            platform::LogStartup("first fscommand");
        }
        fsCommands.emplace_back(first, second);
        DeliverFsCommands();
    } else if (kind == "ready") {
        milestones.pageReady = Clock::now();
        platform::LogStartup("page ready");
        pageReady = true;
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
    } else if (kind == "mark" && first == "movie") {
        milestones.movieLoaded = Clock::now();
        platform::LogStartup("movie loaded");
    } else if (kind == "mark" && first == "failed") {
        std::fprintf(stderr, "kest: the player could not load the movie: %s\n", second.c_str());
    }
}

// A handler that calls into the player waits in a nested loop, where further
// commands may arrive; they queue up behind the one being handled.
void WebKitPlayer::DeliverFsCommands() {
    if (delivering) {
        return;
    }
    delivering = true;
    while (!fsCommands.empty()) {
        const auto [command, args] = fsCommands.front();
        fsCommands.pop_front();
        if (fsCommand) {
            fsCommand(command, args);
        }
    }
    delivering = false;
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
    GVariant* arguments = Arguments("url", routes.MovieUrl(url));
    RunScript("kest.load(url);", arguments);
    g_variant_unref(arguments);
}

void WebKitPlayer::Play() { RunScript("kest.play();", nullptr); }

std::string WebKitPlayer::CallFunction(const std::string& request) {
    const auto deadline = Clock::now() + kCallTimeout;
    const auto left = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    };
    if (!pageReady && !WaitUntil([this] { return pageReady; }, left())) {
        return {};
    }
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
    if (!WaitUntil([&call] { return call->done; }, left())) {
        std::fprintf(stderr, "kest: the movie did not answer in time: %s\n", request.c_str());
        return {};
    }
    return call->answer;
}

void WebKitPlayer::SetFsCommandHandler(ui::FsCommandHandler handler) { fsCommand = std::move(handler); }

ui::PlayerFactory WebKitPlayers(std::string playerFolder) {
    return [folder = std::move(playerFolder)](GtkWidget* layout) -> std::unique_ptr<ui::PlayerPeer> {
        return std::make_unique<WebKitPlayer>(layout, folder);
    };
}

} // namespace player
