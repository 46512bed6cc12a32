#include "ui/gtk/GtkWindowSystem.h"

#include "ui/gtk/MessageBox.h"
#include "ui/Bitmap.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace ui {

namespace {

platform::PixbufRef SharedPicture(const Bitmap* bitmap) {
    return platform::PixbufRef::Share(bitmap ? bitmap->Pixbuf() : nullptr);
}

// Draws a control's picture, to which the control holds a reference of its
// own for as long as it shows it.
void DrawPicture(const platform::PixbufRef& picture, cairo_t* cr) {
    if (picture) {
        gdk_cairo_set_source_pixbuf(cr, picture.Get(), 0, 0);
        cairo_paint(cr);
    }
}

// A child widget of the client area, owned by its peer.
class ChildWidget {
protected:
    ChildWidget(GtkWidget* fixed, GtkWidget* child) : widget(GTK_WIDGET(g_object_ref_sink(child))) {
        gtk_layout_put(GTK_LAYOUT(fixed), widget, 0, 0);
        gtk_widget_show(widget);
    }
    ~ChildWidget() {
        gtk_widget_destroy(widget);
        g_object_unref(widget);
    }
    void MoveWidget(const Rect& r) {
        if (GtkWidget* parent = gtk_widget_get_parent(widget)) {
            gtk_layout_move(GTK_LAYOUT(parent), widget, r.left, r.top);
        }
        gtk_widget_set_size_request(widget, std::max(r.Width(), 0), std::max(r.Height(), 0));
    }

    GtkWidget* widget;
};

class GtkButtonPeer : public ButtonPeer, ChildWidget {
public:
    GtkButtonPeer(GtkWidget* fixed, WindowEvents& windowEvents, int controlId)
        : ChildWidget(fixed, gtk_button_new()), events(windowEvents), id(controlId) {
        // Nothing of the theme's button shows; the bitmaps are the button.
        static GtkCssProvider* const kFlat = [] {
            GtkCssProvider* css = gtk_css_provider_new();
            gtk_css_provider_load_from_data(
                css, "button { padding: 0; margin: 0; border: 0; min-width: 0; min-height: 0; }",
                -1, nullptr);
            return css;
        }();
        gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                       GTK_STYLE_PROVIDER(kFlat),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_signal_connect(widget, "draw", G_CALLBACK(Draw), this);
        g_signal_connect(widget, "clicked", G_CALLBACK(Clicked), this);
    }
    ~GtkButtonPeer() override { g_signal_handlers_disconnect_by_data(widget, this); }

    void Move(const Rect& r) override { MoveWidget(r); }
    void SetVisible(bool visible) override { gtk_widget_set_visible(widget, visible); }
    void SetBitmaps(const Bitmap* up, const Bitmap* down, const Bitmap* focus) override {
        upPicture = SharedPicture(up);
        downPicture = SharedPicture(down);
        focusPicture = SharedPicture(focus);
        gtk_widget_queue_draw(widget);
    }

private:
    static gboolean Draw(GtkWidget* button, cairo_t* cr, GtkButtonPeer* self) {
        const GtkStateFlags state = gtk_widget_get_state_flags(button);
        if (state & GTK_STATE_FLAG_ACTIVE) {
            DrawPicture(self->downPicture, cr);
        } else if (gtk_widget_has_focus(button)) {
            DrawPicture(self->focusPicture, cr);
        } else {
            DrawPicture(self->upPicture, cr);
        }
        return TRUE;
    }
    static void Clicked(GtkWidget*, GtkButtonPeer* self) { self->events.PeerCommand(self->id); }

    WindowEvents& events;
    int id;
    platform::PixbufRef upPicture;
    platform::PixbufRef downPicture;
    platform::PixbufRef focusPicture;
};

class GtkPicturePeer : public PicturePeer, ChildWidget {
public:
    explicit GtkPicturePeer(GtkWidget* fixed) : ChildWidget(fixed, gtk_drawing_area_new()) {
        g_signal_connect(widget, "draw", G_CALLBACK(Draw), this);
    }
    ~GtkPicturePeer() override { g_signal_handlers_disconnect_by_data(widget, this); }

    void Move(const Rect& r) override { MoveWidget(r); }
    void SetVisible(bool visible) override { gtk_widget_set_visible(widget, visible); }
    void SetBitmap(const Bitmap* bitmap) override {
        picture = SharedPicture(bitmap);
        gtk_widget_queue_draw(widget);
    }

private:
    static gboolean Draw(GtkWidget*, cairo_t* cr, GtkPicturePeer* self) {
        DrawPicture(self->picture, cr);
        return TRUE;
    }

    platform::PixbufRef picture;
};

WindowState StateOf(GdkWindowState flags) {
    if (flags & GDK_WINDOW_STATE_ICONIFIED) {
        return WindowState::Minimized;
    }
    return flags & GDK_WINDOW_STATE_MAXIMIZED ? WindowState::Maximized : WindowState::Normal;
}

class GtkWindowPeer : public WindowPeer {
public:
    GtkWindowPeer(WindowEvents& windowEvents, const PlayerFactory& playerFactory)
        : events(windowEvents), makePlayer(playerFactory) {
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
        // The taskbar names the window after the program (a magazine's file).
        if (const char* name = g_get_application_name()) {
            gtk_window_set_title(GTK_WINDOW(window), name);
        }
        // The dialog's plain background, behind and beside the controls: a
        // dark slate, so that a strip narrower than the window does not end
        // in a bright gap.
        static GtkCssProvider* const kBackground = [] {
            GtkCssProvider* css = gtk_css_provider_new();
            gtk_css_provider_load_from_data(css, "window { background-color: #1e2733; }", -1, nullptr);
            return css;
        }();
        gtk_style_context_add_provider(gtk_widget_get_style_context(window),
                                       GTK_STYLE_PROVIDER(kBackground),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        gtk_window_move(GTK_WINDOW(window), 0, 0);
        gtk_widget_add_events(window, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK |
                                          GDK_KEY_RELEASE_MASK | GDK_STRUCTURE_MASK);
        // A layout, unlike a fixed container, never grows the window to fit its
        // children: the window keeps exactly the size it is given.
        client = gtk_layout_new(nullptr, nullptr);
        gtk_container_add(GTK_CONTAINER(window), client);
        gtk_widget_show(client);
        loop = g_main_loop_new(nullptr, FALSE);

        g_signal_connect(window, "delete-event", G_CALLBACK(CloseRequested), this);
        g_signal_connect(client, "draw", G_CALLBACK(Paint), this);
        g_signal_connect(window, "button-press-event", G_CALLBACK(ButtonPressed), this);
        g_signal_connect(window, "key-press-event", G_CALLBACK(KeyPressed), this);
        g_signal_connect(window, "key-release-event", G_CALLBACK(KeyReleased), this);
        g_signal_connect(window, "configure-event", G_CALLBACK(Configured), this);
        g_signal_connect(window, "window-state-event", G_CALLBACK(StateChanged), this);
    }

    ~GtkWindowPeer() override {
        for (const auto& [id, source] : timers) {
            g_source_remove(source);
        }
        g_signal_handlers_disconnect_by_data(window, this);
        g_signal_handlers_disconnect_by_data(client, this);
        gtk_widget_destroy(window);
        g_main_loop_unref(loop);
    }

    void Move(const Rect& r) override {
        gtk_window_move(GTK_WINDOW(window), r.left, r.top);
        gtk_window_resize(GTK_WINDOW(window), std::max(r.Width(), 1), std::max(r.Height(), 1));
    }
    void SetVisible(bool visible) override {
        if (visible) {
            gtk_window_present(GTK_WINDOW(window));
        } else {
            gtk_widget_hide(window);
        }
    }
    void SetState(WindowState state) override {
        requestedState = state;
        switch (state) {
        case WindowState::Maximized:
            gtk_window_deiconify(GTK_WINDOW(window));
            gtk_window_maximize(GTK_WINDOW(window));
            break;
        case WindowState::Minimized:
            gtk_window_iconify(GTK_WINDOW(window));
            break;
        case WindowState::Normal:
            gtk_window_deiconify(GTK_WINDOW(window));
            gtk_window_unmaximize(GTK_WINDOW(window));
            break;
        }
    }
    void SetIcon(const Bitmap& icon) override { gtk_window_set_icon(GTK_WINDOW(window), icon.Pixbuf()); }
    void Invalidate() override { gtk_widget_queue_draw(window); }

    // Asked of the monitor, not of the root window: under Wayland there is no
    // root window to measure (it reads 0 × 0).
    Rect DesktopRect() const override {
        GdkDisplay* display = gtk_widget_get_display(window);
        GdkWindow* shown = gtk_widget_get_window(window);
        GdkMonitor* monitor =
            shown != nullptr ? gdk_display_get_monitor_at_window(display, shown) : nullptr;
        if (monitor == nullptr) {
            monitor = gdk_display_get_primary_monitor(display);
        }
        if (monitor == nullptr) {
            monitor = gdk_display_get_monitor(display, 0);
        }
        if (monitor == nullptr) {
            return {};
        }
        GdkRectangle area{};
        gdk_monitor_get_workarea(monitor, &area);
        return {area.x, area.y, area.x + area.width, area.y + area.height};
    }

    void StartTimer(int id, unsigned milliseconds) override {
        StopTimer(id);
        auto* tick = new Tick{this, id};
        timers[id] = g_timeout_add_full(
            G_PRIORITY_DEFAULT, milliseconds,
            +[](gpointer data) -> gboolean {
                const auto* t = static_cast<Tick*>(data);
                t->self->events.PeerTimer(t->id);
                return G_SOURCE_CONTINUE;
            },
            tick, +[](gpointer data) { delete static_cast<Tick*>(data); });
    }
    void StopTimer(int id) override {
        const auto timer = timers.find(id);
        if (timer != timers.end()) {
            g_source_remove(timer->second);
            timers.erase(timer);
        }
    }

    void RunModalLoop() override { g_main_loop_run(loop); }
    void QuitModalLoop() override { g_main_loop_quit(loop); }

    std::unique_ptr<ButtonPeer> CreateButton(int id) override {
        return std::make_unique<GtkButtonPeer>(client, events, id);
    }
    std::unique_ptr<PicturePeer> CreatePicture(int) override {
        return std::make_unique<GtkPicturePeer>(client);
    }
    std::unique_ptr<PlayerPeer> CreatePlayer(int) override {
        return makePlayer ? makePlayer(client) : nullptr;
    }
    int MessageBox(const std::string& text, const std::string& caption) override {
        return ui::MessageBox(GTK_WINDOW(window), text.c_str(), caption.c_str());
    }

private:
    struct Tick {
        GtkWindowPeer* self;
        int id;
    };

    static gboolean CloseRequested(GtkWidget*, GdkEvent*, GtkWindowPeer* self) {
        self->events.PeerCommand(kIdCancel);
        return TRUE;
    }
    static gboolean Paint(GtkWidget* widget, cairo_t* cr, GtkWindowPeer* self) {
        const double resolution = gdk_screen_get_resolution(gtk_widget_get_screen(widget));
        const int ppi = resolution > 0 ? static_cast<int>(resolution + 0.5) : platform::kDefaultPixelsPerInch;
        DeviceContext dc{cr, ppi, ppi};
        self->events.PeerPaint(dc);
        return FALSE; // the children draw on top
    }
    // Presses that no child took land on the window's bare surface.
    static gboolean ButtonPressed(GtkWidget* widget, GdkEventButton* event, GtkWindowPeer* self) {
        if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY) {
            return FALSE;
        }
        const Point at{static_cast<int>(event->x_root), static_cast<int>(event->y_root)};
        if (self->events.PeerHitTest(at) != kHtCaption) {
            return FALSE;
        }
        gtk_window_begin_move_drag(GTK_WINDOW(widget), static_cast<gint>(event->button), at.x, at.y,
                                   event->time);
        return TRUE;
    }
    static gboolean KeyPressed(GtkWidget*, GdkEventKey* event, GtkWindowPeer* self) {
        if (event->keyval == GDK_KEY_Escape) {
            self->events.PeerCommand(kIdCancel);
            return TRUE;
        }
        const unsigned key = VirtualKeyFromKeyval(event->keyval);
        if (key == 0) {
            return FALSE;
        }
        const bool repeated = !self->keysDown.insert(key).second;
        return self->events.PeerKeyDown(key, 1, repeated ? kKeyWasDown : 0) ? TRUE : FALSE;
    }
    static gboolean KeyReleased(GtkWidget*, GdkEventKey* event, GtkWindowPeer* self) {
        self->keysDown.erase(VirtualKeyFromKeyval(event->keyval));
        return FALSE;
    }
    static gboolean Configured(GtkWidget* widget, GdkEventConfigure* event, GtkWindowPeer* self) {
        int x = 0;
        int y = 0;
        gtk_window_get_position(GTK_WINDOW(widget), &x, &y);
        self->events.PeerMoved(RectAt(x, y, event->width, event->height));
        return FALSE;
    }
    // The window manager's answers to our own requests are not news; a change
    // it makes on its own (a restore from the taskbar) is.
    static gboolean StateChanged(GtkWidget*, GdkEventWindowState* event, GtkWindowPeer* self) {
        const WindowState state = StateOf(event->new_window_state);
        if (self->requestedState) {
            if (state == *self->requestedState) {
                self->requestedState.reset();
            }
            return FALSE;
        }
        self->events.PeerStateChanged(state);
        return FALSE;
    }

    WindowEvents& events;
    const PlayerFactory& makePlayer;
    GtkWidget* window;
    GtkWidget* client;
    GMainLoop* loop;
    std::map<int, guint> timers;
    std::set<unsigned> keysDown;
    std::optional<WindowState> requestedState;
};

} // namespace

bool GtkWindowSystem::OpenDisplay() { return gtk_init_check(nullptr, nullptr); }

std::unique_ptr<GtkWindowSystem> GtkWindowSystem::Open(PlayerFactory makePlayer) {
    if (!OpenDisplay()) {
        return nullptr;
    }
    return std::unique_ptr<GtkWindowSystem>(new GtkWindowSystem(std::move(makePlayer)));
}

std::unique_ptr<WindowPeer> GtkWindowSystem::CreateWindow(WindowEvents& events) {
    return std::make_unique<GtkWindowPeer>(events, makePlayer);
}

unsigned VirtualKeyFromKeyval(unsigned keyval) {
    static const std::map<unsigned, unsigned> kKeys = {
        {GDK_KEY_BackSpace, kVkBack}, {GDK_KEY_Tab, kVkTab},       {GDK_KEY_Return, kVkReturn},
        {GDK_KEY_KP_Enter, kVkReturn}, {GDK_KEY_Escape, kVkEscape}, {GDK_KEY_space, kVkSpace},
        {GDK_KEY_Page_Up, kVkPrior},  {GDK_KEY_Page_Down, kVkNext}, {GDK_KEY_End, kVkEnd},
        {GDK_KEY_Home, kVkHome},      {GDK_KEY_Left, kVkLeft},      {GDK_KEY_Up, kVkUp},
        {GDK_KEY_Right, kVkRight},    {GDK_KEY_Down, kVkDown},      {GDK_KEY_Delete, kVkDelete},
        {GDK_KEY_KP_Page_Up, kVkPrior}, {GDK_KEY_KP_Page_Down, kVkNext},
        {GDK_KEY_KP_Left, kVkLeft},   {GDK_KEY_KP_Right, kVkRight},
    };
    if (const auto key = kKeys.find(keyval); key != kKeys.end()) {
        return key->second;
    }
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) {
        return keyval - GDK_KEY_a + 'A';
    }
    if ((keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) || (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9)) {
        return keyval;
    }
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) {
        return keyval - GDK_KEY_F1 + 0x70;
    }
    return 0;
}

} // namespace ui
