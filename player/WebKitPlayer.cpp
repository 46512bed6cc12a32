#include "player/WebKitPlayer.h"

#include "platform/StartupLog.h"
#include "platform/Text.h"
#include "player/SystemFonts.h"
#include "ui/gtk/MessageBox.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <variant>

namespace player {

WebKitPlayer::WebKitPlayer(GtkWidget* layout, const std::string& playerFolder,
                           std::optional<package::ContentFiles> content, std::function<void()> startFailed)
    : WebKitPlayer(playerFolder, std::move(content), std::move(startFailed)) {
    Attach(layout);
}

WebKitPlayer::WebKitPlayer(const std::string& playerFolder, std::optional<package::ContentFiles> content,
                           std::function<void()> startFailed)
    : server(playerFolder, std::move(content)), onStartFailed(std::move(startFailed)),
      watchdog([this](const std::string& why) { Restart(why); }, [this](const std::string& why) { GiveUp(why); }),
      view([this](WebKitURISchemeRequest* request) { ServeRequest(request); }), visibility(view.Widget()),
      links(view.View()), channel(view.View(), [this](PageMessage message) {
          // Once the movie runs, only the movie's commands and links are taken.
          if (!startupOver || TakenOnceRunning(message)) {
              std::visit([this](const auto& kind) { On(kind); }, message);
          }
      }) {
    WarnIfNoChineseFont();
    platform::LogStartup(playerFolder.empty() ? "player files in the program" : "player files in " + playerFolder);
    WatchWebProcess();
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
    webkit_web_view_load_uri(view.View(), kPageUrl);
}

void WebKitPlayer::WatchWebProcess() {
    g_signal_connect(view.View(), "web-process-terminated",
                     G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self) {
                         if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) {
                             return; // a restart of ours
                         }
                         static_cast<WebKitPlayer*>(self)->watchdog.Failed(
                             reason == WEBKIT_WEB_PROCESS_CRASHED ? "its web process crashed"
                                                                  : "its web process ran out of memory");
                     }),
                     this);
    g_signal_connect(view.View(), "load-failed",
                     G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self) -> gboolean {
                         // A load that a newer one replaced is no failure.
                         if (!g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) {
                             static_cast<WebKitPlayer*>(self)->watchdog.Failed(
                                 std::string("its page did not load (") + uri + ": " + error->message + ")");
                         }
                         return FALSE;
                     }),
                     this);
}

void WebKitPlayer::Restart(const std::string& why) {
    std::fprintf(stderr, "kest: starting the movie again: %s\n", why.c_str());
    channel.PageLeft();
    startupOver = false;
    if (movieUrl) {
        channel.Run("kest.load(url);", "url", *movieUrl);
    }
    if (playing) {
        channel.Run("kest.play();");
    }
    for (const std::string& request : startCalls) {
        SendStartCall(request);
    }
    watchdog.Arm();
    // A page that hangs is not reloaded by its own process: a new one is.
    webkit_web_view_terminate_web_process(view.View());
    webkit_web_view_load_uri(view.View(), kPageUrl);
}

void WebKitPlayer::GiveUp(const std::string& why) {
    std::fprintf(stderr, "kest: the movie could not be started: %s\n", why.c_str());
    GtkWidget* top = gtk_widget_get_toplevel(view.Widget());
    ui::MessageBox(GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr, kStartFailedText, kStartFailedCaption);
    if (onStartFailed) {
        onStartFailed();
    }
}

WebKitPlayer::~WebKitPlayer() {
    for (const unsigned source : {pendingFailure, deliverySource}) {
        if (source != 0) {
            g_source_remove(source);
        }
    }
    g_signal_handlers_disconnect_by_data(view.View(), this);
}

GtkWidget* WebKitPlayer::Widget() const { return view.Widget(); }

void WebKitPlayer::Attach(GtkWidget* layout) {
    visibility.Watch(gtk_widget_get_toplevel(layout));
    gtk_layout_put(GTK_LAYOUT(layout), view.Widget(), 0, 0);
    gtk_widget_show(view.Widget());
}

void WebKitPlayer::Move(const ui::Rect& clientRect) {
    GtkWidget* widget = view.Widget();
    if (GtkWidget* parent = gtk_widget_get_parent(widget)) {
        gtk_layout_move(GTK_LAYOUT(parent), widget, clientRect.left, clientRect.top);
    }
    gtk_widget_set_size_request(widget, std::max(clientRect.Width(), 0), std::max(clientRect.Height(), 0));
}

void WebKitPlayer::SetVisible(bool visible) { gtk_widget_set_visible(view.Widget(), visible); }

void WebKitPlayer::ServeRequest(WebKitURISchemeRequest* request) {
    server.Serve(request);
    watchdog.Progress();
}

void WebKitPlayer::On(const page::Ready&) {
    milestones.pageReady = Clock::now();
    platform::LogStartup("page ready");
    if (movieUrl) {
        watchdog.Progress();
    } else {
        watchdog.Satisfied();
    }
    channel.PageReady();
}

void WebKitPlayer::On(const page::RuffleReady&) {
    milestones.ruffleReady = Clock::now();
    platform::LogStartup("ruffle ready");
    watchdog.Progress();
}

void WebKitPlayer::On(const page::MovieLoaded&) {
    milestones.movieLoaded = Clock::now();
    platform::LogStartup("movie loaded");
    startupOver = true;
    watchdog.Satisfied();
}

void WebKitPlayer::On(const page::MovieMissing& missing) {
    // The player works; the movie is not there, which the viewer tells.
    std::fprintf(stderr, "kest: the player could not load the movie: %s\n",
                 platform::PrintableText(missing.why, platform::kLoggedTextBytes).c_str());
    startupOver = true;
    watchdog.Satisfied();
}

void WebKitPlayer::On(const page::RuffleFailed& failed) { watchdog.Failed("Ruffle did not start it (" + failed.why + ")"); }

// Ruffle is dead, whether it was starting or the movie ran: like a crashed
// web process, it gets a fresh start.
void WebKitPlayer::On(const page::RuffleTrapped& trapped) { watchdog.Failed("Ruffle stopped (" + trapped.why + ")"); }

void WebKitPlayer::On(const page::Milestone& milestone) {
    platform::LogStartup("page: " + milestone.name + " " + milestone.detail);
}

void WebKitPlayer::On(const page::FsCommand& command) {
    if (!milestones.firstFsCommand) {
        milestones.firstFsCommand = Clock::now();
        platform::LogStartup("first fscommand");
    }
    fsCommands.Add(command.command, command.args);
    DeliverFsCommands();
}

void WebKitPlayer::On(const page::Link& link) { links.Follow(link.uri); }

void WebKitPlayer::DeliverFsCommands() {
    if (fsCommands.DeliverTurn(fsCommand) && deliverySource == 0) {
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

void WebKitPlayer::LoadMovie(int layer, const std::string& url) {
    if (layer != 0) {
        return; // movies of other levels are never used
    }
    movieUrl = server.Routes().MovieUrl(url);
    playing = false;
    channel.Run("kest.load(url);", "url", *movieUrl);
    watchdog.Expect();
}

void WebKitPlayer::Play() {
    playing = true;
    channel.Run("kest.play();");
}

std::string WebKitPlayer::CallFunction(const std::string& request) {
    // A call made while the movie starts waits for the start too, which the
    // watchdog bounds.
    return channel.Call(request, [this] { return startupOver ? kCallTimeout : kCallTimeout + kStartBound; });
}

void WebKitPlayer::CallOnStart(const std::string& request) {
    startCalls.push_back(request);
    SendStartCall(request);
}

void WebKitPlayer::SendStartCall(const std::string& request) {
    // The page's call waits for the movie to run and register its callbacks.
    channel.Run("kest.call(request);", "request", request);
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
