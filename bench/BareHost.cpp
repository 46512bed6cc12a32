// The least a program can do to show a movie with Ruffle in WebKitGTK: one
// window, one web view, Ruffle's files and the movie served from disk, Ruffle
// set to the movie's own frame rate and "high" quality. The rest benchmark
// sets its cost beside the viewer's, the start-up benchmark its time to the
// movie's first fscommand. The movie's fscommands are printed on standard
// output, one "COMMAND ARGS" line each; BARE_CONSOLE=1 adds the page's console.
// Usage: kest_bare_host RUFFLE_FOLDER MOVIE WIDTH HEIGHT
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8">
<style>html, body { margin: 0; width: 100%; height: 100%; overflow: hidden; }
#player { display: block; width: 100%; height: 100%; }</style>
<script src="ruffle/ruffle.js"></script></head>
<body><script>
window.RufflePlayer.config = { publicPath: "ruffle/", polyfills: false, autoplay: "on",
    unmuteOverlay: "hidden", splashScreen: false, quality: "high", scale: "showAll",
    letterbox: "off", wmode: "window", allowScriptAccess: true, logLevel: "error" };
const player = window.RufflePlayer.newest().createPlayer();
player.id = "player";
player.onFSCommand = (command, args) => {
    window.webkit.messageHandlers.bare.postMessage(command + " " + args);
    return true;
};
document.body.appendChild(player);
player.ruffle().load("movie.swf");
</script></body></html>)";

struct Files {
    std::string ruffle;
    std::string movie;
};

void Serve(WebKitURISchemeRequest* request, gpointer data) {
    const auto* files = static_cast<const Files*>(data);
    const std::string path = webkit_uri_scheme_request_get_path(request);
    std::string file;
    const char* type = "application/octet-stream";
    if (path == "/movie.swf") {
        file = files->movie;
        type = "application/x-shockwave-flash";
    } else if (path.rfind("/ruffle/", 0) == 0 && path.find("..") == std::string::npos) {
        file = files->ruffle + path.substr(7);
        if (g_str_has_suffix(path.c_str(), ".js")) {
            type = "text/javascript";
        } else if (g_str_has_suffix(path.c_str(), ".wasm")) {
            type = "application/wasm";
        }
    }
    GFile* handle = g_file_new_for_path(file.c_str());
    GError* error = nullptr;
    GFileInputStream* stream = file.empty() ? nullptr : g_file_read(handle, nullptr, &error);
    g_object_unref(handle);
    if (!stream) {
        GError* missing = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, path.c_str());
        webkit_uri_scheme_request_finish_error(request, missing);
        g_error_free(missing);
        if (error) {
            g_error_free(error);
        }
        return;
    }
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(G_INPUT_STREAM(stream), -1);
    webkit_uri_scheme_response_set_content_type(response, type);
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_replace(headers, "Content-Type", type);
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(stream);
}

void PrintMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer) {
    gchar* text = jsc_value_to_string(webkit_javascript_result_get_js_value(result));
    std::printf("%s\n", text);
    std::fflush(stdout);
    g_free(text);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s RUFFLE_FOLDER MOVIE WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    gtk_init(&argc, &argv);
    Files files{argv[1], argv[2]};
    WebKitWebContext* context = webkit_web_context_new_ephemeral();
    webkit_web_context_register_uri_scheme(context, "bare", Serve, &files, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, "bare");
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, "bare");
    // Ruffle does not start under a locale name that is no language tag
    // ("C.UTF-8"), which the web view would otherwise pass on.
    const gchar* languages[] = {"en-US", nullptr};
    webkit_web_context_set_preferred_languages(context, languages);
    WebKitUserContentManager* manager = webkit_user_content_manager_new();
    g_signal_connect(manager, "script-message-received::bare", G_CALLBACK(PrintMessage), nullptr);
    webkit_user_content_manager_register_script_message_handler(manager, "bare");
    GtkWidget* view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context,
                                              "user-content-manager", manager, nullptr));
    g_object_unref(manager);
    if (std::getenv("BARE_CONSOLE")) {
        webkit_settings_set_enable_write_console_messages_to_stdout(
            webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view)), TRUE);
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "kest_bare_host");
    gtk_window_set_default_size(GTK_WINDOW(window), std::atoi(argv[3]), std::atoi(argv[4]));
    gtk_container_add(GTK_CONTAINER(window), view);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    webkit_web_view_load_html(WEBKIT_WEB_VIEW(view), kPage, "bare://host/");
    gtk_main();
    g_object_unref(context);
    return 0;
}
