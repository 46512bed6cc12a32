// The host's side of the channel to our page. What the page says arrives
// through the one `kest` message handler, is taken from our page only, and
// is handed on as a typed PageMessage; scripts run in the page once it is
// ready, in the order they were asked for; a call of the movie waits for
// its answer. Touches the view's scripts and messages, nothing else of it.
#pragma once

#include "player/PageMessage.h"

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <utility>

typedef struct _GCancellable GCancellable;
typedef struct _GVariant GVariant;
typedef struct _WebKitJavascriptResult WebKitJavascriptResult;
typedef struct _WebKitUserContentManager WebKitUserContentManager;
typedef struct _WebKitWebView WebKitWebView;

namespace player {

class PageChannel {
public:
    using Receive = std::function<void(PageMessage)>;

    PageChannel(WebKitWebView* view, Receive receive);
    ~PageChannel();
    PageChannel(const PageChannel&) = delete;
    PageChannel& operator=(const PageChannel&) = delete;

    // The page ran: the scripts asked for before run now, in order.
    void PageReady();
    // The page is replaced by a new one: scripts not yet run are dropped,
    // and a call the old page has not answered goes to the new one.
    void PageLeft();

    // Runs `body` in the page once it is ready, with no arguments or with
    // one string argument `name`.
    void Run(const char* body);
    void Run(const char* body, const char* name, const std::string& value);

    // Calls the movie's callback through the page (`kest.call(request)`) and
    // waits in nested iterations of the main loop for its answer, at most
    // `bound()` for each page asked; empty when none came.
    std::string Call(const std::string& request, const std::function<std::chrono::milliseconds()>& bound);

private:
    static void Received(WebKitUserContentManager*, WebKitJavascriptResult* result, void* self);
    void RunNow(const char* body, GVariant* arguments);
    void DropWaitingScripts();

    WebKitWebView* view;
    Receive receive;
    GCancellable* cancellable;
    bool pageReady = false;
    // Counts the pages started again: a call to one that was left goes to
    // the next.
    unsigned pageGeneration = 0;
    std::deque<std::pair<const char*, GVariant*>> waitingScripts;
};

} // namespace player
