// Follows the window that holds the player's view: while it is fully covered
// or on another workspace the view is unmapped, so that the engine hides the
// page as it does for a minimised window, and the movie goes on undrawn.
// Touches the view's mapping and focus, nothing else of it.
#pragma once

typedef struct _GtkWidget GtkWidget;
typedef union _GdkEvent GdkEvent;

namespace player {

class WindowVisibility {
public:
    explicit WindowVisibility(GtkWidget* playerView) : view(playerView) {}
    ~WindowVisibility();
    WindowVisibility(const WindowVisibility&) = delete;
    WindowVisibility& operator=(const WindowVisibility&) = delete;

    // Follows `toplevel`, the view's top-level widget, if it is a window.
    void Watch(GtkWidget* toplevel);

private:
    static int WindowChanged(GtkWidget*, GdkEvent* event, void* self);

    GtkWidget* view;
    GtkWidget* window = nullptr;
    bool windowIconified = false;
    bool windowUnmapped = false;
    bool windowCovered = false;
    bool viewUnmapped = false;
    bool hadFocus = false;
};

} // namespace player
