// The web view that shows our page, and its own web context: everything it
// loads comes from the player's scheme, which `serve` answers; its sandbox,
// languages, sound and input are set as the movie needs them. Where the view
// may go is LinkOpener's; what the page says, PageChannel's.
#pragma once

#include <functional>

typedef struct _GtkWidget GtkWidget;
typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitWebView WebKitWebView;
typedef struct _WebKitURISchemeRequest WebKitURISchemeRequest;

namespace player {

class PlayerView {
public:
    using Serve = std::function<void(WebKitURISchemeRequest*)>;

    explicit PlayerView(Serve serve);
    ~PlayerView();
    PlayerView(const PlayerView&) = delete;
    PlayerView& operator=(const PlayerView&) = delete;

    WebKitWebView* View() const { return view; }
    GtkWidget* Widget() const;

private:
    WebKitWebContext* context = nullptr;
    WebKitWebView* view = nullptr;
};

} // namespace player
