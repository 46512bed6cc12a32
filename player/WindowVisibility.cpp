#include "player/WindowVisibility.h"

#include <gtk/gtk.h>

#include <initializer_list>

namespace player {

WindowVisibility::~WindowVisibility() {
    if (window) {
        g_signal_handlers_disconnect_by_data(window, this);
        g_object_remove_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
    }
}

void WindowVisibility::Watch(GtkWidget* toplevel) {
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

int WindowVisibility::WindowChanged(GtkWidget*, GdkEvent* event, void* data) {
    auto* self = static_cast<WindowVisibility*>(data);
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
        // Unmapping takes the keyboard focus away; the view gets it back.
        if (hidden) {
            self->hadFocus = gtk_window_get_focus(GTK_WINDOW(self->window)) == self->view;
        }
        gtk_widget_set_child_visible(self->view, !hidden);
        if (!hidden && self->hadFocus) {
            gtk_widget_grab_focus(self->view);
        }
    }
    return FALSE;
}

} // namespace player
