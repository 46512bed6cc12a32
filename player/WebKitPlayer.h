// The movie player of the product: Ruffle in a WebKitGTK web view that loads
// everything from the player's own URI scheme.
#pragma once

#include "player/Links.h"
#include "player/PlayerFiles.h"
#include "player/PlayerServer.h"
#include "player/PlayerWatchdog.h"
#include "ui/PlayerPeer.h"
#include "ui/gtk/GtkWindowSystem.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

typedef struct _GtkWidget GtkWidget;
typedef struct _GCancellable GCancellable;
typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitWebView WebKitWebView;
typedef struct _WebKitURISchemeRequest WebKitURISchemeRequest;
typedef struct _WebKitJavascriptResult WebKitJavascriptResult;
typedef struct _WebKitUserContentManager WebKitUserContentManager;
typedef struct _WebKitPolicyDecision WebKitPolicyDecision;
typedef struct _GVariant GVariant;
typedef union _GdkEvent GdkEvent;

namespace player {

// What the reader is told when the movie could not be started at all.
inline constexpr const char* kStartFailedText = "影片无法启动！";
inline constexpr const char* kStartFailedCaption = "提示";

// How long CallFunction waits for the movie's answer. It covers a movie that
// is still starting (the player's first start takes about a second).
inline constexpr std::chrono::milliseconds kCallTimeout{10000};

// The movie's commands waiting for the host, at most; beyond that the movie
// sends faster than the host answers, and new commands are dropped.
inline constexpr size_t kMaxQueuedCommands = 1000;
inline constexpr size_t kMaxQueuedBytes = 16 << 20;

class WebKitPlayer : public ui::PlayerPeer {
public:
    using Clock = std::chrono::steady_clock;

    // When the player reached each stage of its start, for measurements.
    struct Milestones {
        Clock::time_point created;
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
    static void ServeRequest(WebKitURISchemeRequest* request, void* self);
    void ConnectView();
    // Loads the page afresh, in a new web process, and asks it again for the
    // movie of the try before.
    void Restart(const std::string& why);
    void GiveUp(const std::string& why);
    static void ReceiveMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, void* self);
    // Keeps the view on our page; links go to the desktop (see Links.h).
    static int DecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, int type, void* self);
    // Opens a movie's link on the desktop when its turn comes, or says why not.
    void FollowLink(const std::string& uri);
    void OpenDueLinks();
    void OnMessage(const std::string& kind, const std::string& first, const std::string& second);
    // Runs `body` in the page (with its named arguments) once the page is
    // ready; scripts run in the order they were asked for.
    void RunScript(const char* body, GVariant* arguments);
    void DropWaitingScripts();
    void SendStartCall(const std::string& request);
    // Queues a command unless the queue is full (see kMaxQueuedCommands).
    void QueueFsCommand(const std::string& command, const std::string& args);
    void DeliverFsCommands();
    // Follows the window that holds the view: while it is fully covered or on
    // another workspace the view is unmapped, so that the engine hides the
    // page as it does for a minimised window, and the movie goes on undrawn.
    void WatchWindow(GtkWidget* window);
    static int WindowChanged(GtkWidget*, GdkEvent* event, void* self);

    PlayerServer server;
    std::function<void()> onStartFailed;
    PlayerWatchdog watchdog;
    std::optional<std::string> movieUrl; // what the page is to load and play
    std::vector<std::string> startCalls; // calls each start of the movie gets
    bool playing = false;
    unsigned pendingFailure = 0; // the idle source reporting unusable files
    std::string failureReason;
    WebKitWebContext* context = nullptr;
    WebKitWebView* view = nullptr;
    GCancellable* cancellable = nullptr;
    bool pageReady = false;
    // Counts the pages started again: a call to one that was left goes to
    // the next.
    unsigned pageGeneration = 0;
    bool startupOver = false; // the movie runs, or is known to be missing
    LinkQueue links;
    unsigned linkSource = 0; // the timer opening the next waiting link
    std::deque<std::pair<const char*, GVariant*>> waitingScripts;
    ui::FsCommandHandler fsCommand;
    std::deque<std::pair<std::string, std::string>> fsCommands;
    size_t queuedBytes = 0;
    bool droppedCommands = false;
    bool delivering = false;
    unsigned deliverySource = 0; // the idle source delivering the rest
    GtkWidget* window = nullptr;
    bool windowIconified = false;
    bool windowUnmapped = false;
    bool windowCovered = false;
    bool viewUnmapped = false;
    bool hadFocus = false;
    Milestones milestones;
};

// Sets what the web processes inherit from this process; called once at
// start-up, before the first player is made.
void PrepareProcess();

// Players for the GTK window system, each showing the page of `playerFolder`
// and the magazine's `content`, and calling `onStartFailed` when it gives up.
// `first`, made before there was a window to hold it, is handed out first.
ui::PlayerFactory WebKitPlayers(std::string playerFolder,
                                std::optional<package::ContentFiles> content = std::nullopt,
                                std::function<void()> onStartFailed = {},
                                std::unique_ptr<WebKitPlayer> first = nullptr);

} // namespace player
