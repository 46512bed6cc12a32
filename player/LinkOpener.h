// Keeps the player's view on our page, and opens the movie's links on the
// desktop, each in its turn (see Links.h), or says on standard error why
// not. Touches the view's navigation and new windows, nothing else of it.
#pragma once

#include "player/Links.h"

#include <string>

typedef struct _WebKitWebView WebKitWebView;
typedef struct _WebKitPolicyDecision WebKitPolicyDecision;

namespace player {

class LinkOpener {
public:
    explicit LinkOpener(WebKitWebView* view);
    ~LinkOpener();
    LinkOpener(const LinkOpener&) = delete;
    LinkOpener& operator=(const LinkOpener&) = delete;

    // A link the movie followed, told by the page or stopped on its way.
    void Follow(const std::string& uri);

private:
    static int DecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, int type, void* self);
    void OpenDueLinks();

    WebKitWebView* view;
    LinkQueue links;
    unsigned timer = 0; // the timer opening the next waiting link
};

} // namespace player
