// The movie player of the product: Ruffle in a WebKitGTK web view that loads
// everything from the player's own URI scheme.
#pragma once

#include "player/FsCommandQueue.h"
#include "player/LinkOpener.h"
#include "player/PageChannel.h"
#include "player/PageMessage.h"
#include "player/PlayerFiles.h"
#include "player/PlayerServer.h"
#include "player/PlayerView.h"
#include "player/PlayerWatchdog.h"
#include "player/WindowVisibility.h"
#include "ui/PlayerPeer.h"
#include "ui/gtk/GtkWindowSystem.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _GtkWidget GtkWidget;
typedef struct _WebKitURISchemeRequest WebKitURISchemeRequest;

namespace player {

// What the reader is told when the movie could not be started at all.
inline constexpr const char* kStartFailedText = "影片无法启动！";
inline constexpr const char* kStartFailedCaption = "提示";

// How long CallFunction waits for the movie's answer. It covers a movie that
// is still starting (the player's first start takes about a second).
inline constexpr std::chrono::milliseconds kCallTimeout{10000};

class WebKitPlayer : public ui::PlayerPeer {
public:
    using Clock = std::chrono::steady_clock;

    // When the player reached each stage of its start, for measurements.
    struct Milestones {
        Clock::time_point created = Clock::now();
        std::optional<Clock::time_point> pageReady;  // the web view ran our page
        std::optional<Clock::time_point> ruffleReady; // Ruffle's instance exists
        std::optional<Clock::time_point> movieLoaded; // the movie's data is in
        std::optional<Clock::time_point> firstFsCommand;
    };

    // A web view showing the player's page from `playerFolder`, and the
    // magazine's `content` (see PlayerRoutes), its web process started at
    // once; Attach places it. A start that fails (see PlayerWatchdog) is
    // tried again; when the last try fails, or the files cannot be used at
    // all, the reader is told in a message box, and then `onStartFailed` is
    // called.
    explicit WebKitPlayer(const std::string& playerFolder,
                          std::optional<package::ContentFiles> content = std::nullopt,
                          std::function<void()> onStartFailed = {});
    // The same, placed in `layout` (a GtkLayout).
    WebKitPlayer(GtkWidget* layout, const std::string& playerFolder,
                 std::optional<package::ContentFiles> content = std::nullopt,
                 std::function<void()> onStartFailed = {});
    ~WebKitPlayer() override;
    WebKitPlayer(const WebKitPlayer&) = delete;
    WebKitPlayer& operator=(const WebKitPlayer&) = delete;

    void Move(const ui::Rect& clientRect) override;
    void SetVisible(bool visible) override;
    void LoadMovie(int layer, const std::string& url) override;
    void Play() override;
    std::string CallFunction(const std::string& request) override;
    void CallOnStart(const std::string& request) override;
    void SetFsCommandHandler(ui::FsCommandHandler handler) override;

    // Places the view in `layout` (a GtkLayout), once.
    void Attach(GtkWidget* layout);

    const Milestones& Times() const { return milestones; }
    GtkWidget* Widget() const;

private:
    void ServeRequest(WebKitURISchemeRequest* request);
    void WatchWebProcess();
    // Loads the page afresh, in a new web process, and asks it again for the
    // movie of the try before.
    void Restart(const std::string& why);
    void GiveUp(const std::string& why);
    void SendStartCall(const std::string& request);
    void DeliverFsCommands();

    // What each of the page's messages does.
    void On(const page::Ready&);
    void On(const page::RuffleReady&);
    void On(const page::MovieLoaded&);
    void On(const page::MovieMissing& missing);
    void On(const page::RuffleFailed& failed);
    void On(const page::RuffleTrapped& trapped);
    void On(const page::Milestone& milestone);
    void On(const page::FsCommand& command);
    void On(const page::Link& link);

    PlayerServer server;
    std::function<void()> onStartFailed;
    PlayerWatchdog watchdog;
    std::optional<std::string> movieUrl; // what the page is to load and play
    std::vector<std::string> startCalls; // calls each start of the movie gets
    bool playing = false;
    unsigned pendingFailure = 0; // the idle source reporting unusable files
    std::string failureReason;
    bool startupOver = false; // the movie runs, or is known to be missing
    ui::FsCommandHandler fsCommand;
    FsCommandQueue fsCommands;
    unsigned deliverySource = 0; // the idle source delivering the rest
    Milestones milestones;
    // The rooms, last: they call back into what is above, and go first.
    PlayerView view;
    WindowVisibility visibility;
    LinkOpener links;
    PageChannel channel;
};

// Players for the GTK window system, each showing the page of `playerFolder`
// and the magazine's `content`, and calling `onStartFailed` when it gives up.
// `first`, made before there was a window to hold it, is handed out first.
ui::PlayerFactory WebKitPlayers(std::string playerFolder,
                                std::optional<package::ContentFiles> content = std::nullopt,
                                std::function<void()> onStartFailed = {},
                                std::unique_ptr<WebKitPlayer> first = nullptr);

} // namespace player
