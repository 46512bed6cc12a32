#include "ProbeWindow.h"

#include "platform/Text.h"
#include "player/PlayerFiles.h"
#include "player/ProcessEnvironment.h"
#include "player/WebKitPlayer.h"
#include "ui/gtk/GtkWindowSystem.h"

#include <gdk/gdk.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using ui::GtkWindowSystem;

// "中文" in code page 936.
const std::string kGbk = "\xD6\xD0\xCE\xC4";

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A host under a GBK locale, as the magazines' own platform was:
        // texts cross to and from the movie in code page 936.
        platform::SetHostEncoding("GBK");
        player::PrepareProcess();
        system = GtkWindowSystem::Open(player::WebKitPlayers(player::PlayerFolderFromEnvironment()));
        if (!system) {
            GTEST_SKIP() << "no display (run under scripts/with-display.sh)";
        }
        window = std::make_unique<ProbeWindow>(*system);
    }

    // Runs the window with `steps` inside it; false when the movie never started.
    bool Run(std::function<void()> steps) {
        window->steps = std::move(steps);
        return window->DoModal() == ui::kIdOk;
    }

    std::unique_ptr<GtkWindowSystem> system;
    std::unique_ptr<ProbeWindow> window;
};

// The screen's pixels under the window.
GdkPixbuf* Capture(const ui::Rect& r) {
    return gdk_pixbuf_get_from_window(gdk_get_default_root_window(), r.left, r.top, r.Width(),
                                      r.Height());
}

std::string PixelAt(GdkPixbuf* picture, int x, int y) {
    const guchar* p = gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) +
                      x * gdk_pixbuf_get_n_channels(picture);
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", p[0], p[1], p[2]);
    return text;
}

TEST_F(PlayerTest, TheMovieStartsAndIsDrawn) {
    std::string circle;
    std::string backdrop;
    ASSERT_TRUE(Run([&] {
        ProbeWindow::Pump(500);
        GdkPixbuf* shot = Capture(window->GetWindowRect());
        ASSERT_NE(shot, nullptr);
        gdk_pixbuf_save(shot, KEST_SCREENSHOT, "png", nullptr, nullptr);
        // The movie is 640 x 480 at (0, 30): its circle's centre at (320, 200).
        circle = PixelAt(shot, 320, 230);
        backdrop = PixelAt(shot, 20, 60);
        g_object_unref(shot);
    })) << "the movie never sent its first fscommand";
    EXPECT_EQ(window->commands.front(), "probe_started|");
    EXPECT_EQ(circle, "ffcc00");
    EXPECT_EQ(backdrop, "2255aa");
}

TEST_F(PlayerTest, AMovieWhosePathNeedsEscapingLoads) {
    // A folder and file name with a blank and GBK bytes, as a package may hold.
    gchar* folder = g_dir_make_tmp("kest-gui-XXXXXX", nullptr);
    ASSERT_NE(folder, nullptr);
    const std::filesystem::path base(folder);
    g_free(folder);
    std::filesystem::create_directory(base / "a b");
    const std::filesystem::path movie = base / "a b" / (kGbk + " #1%.swf");
    std::filesystem::copy_file(KEST_PROBE_MOVIE, movie);
    window->moviePath = movie.string();
    EXPECT_TRUE(Run([] {}));
    std::filesystem::remove_all(base);
}

TEST_F(PlayerTest, CallsIntoAMissingMovieAnswerWithoutWaitingForIt) {
    window->moviePath = "/nonexistent/missing.swf";
    window->stepsAtStart = true;
    std::string answer = "none";
    std::chrono::steady_clock::duration took{};
    ASSERT_TRUE(Run([&] {
        const auto start = std::chrono::steady_clock::now();
        answer = window->player.CallFunction(
            "<invoke name=\"turn_next\"  returntype=\"xml\"><arguments></arguments></invoke>");
        took = std::chrono::steady_clock::now() - start;
    }));
    EXPECT_EQ(answer, "");
    EXPECT_LT(took, std::chrono::seconds(5)) << "the call waited for a movie that never comes";
}

TEST_F(PlayerTest, TheHostsInvokeMessagesReachTheMovie) {
    std::vector<std::string> answers;
    ASSERT_TRUE(Run([&] {
        const char* messages[] = {
            "<invoke name=\"turn_next\"  returntype=\"xml\"><arguments></arguments></invoke>",
            "<invoke name=\"turn_prv\"  returntype=\"xml\"><arguments></arguments></invoke>",
            "<invoke name=\"bg\"  returntype=\"xml\"><arguments><string>-0</string><string>-30</string>"
            "<string>1280</string><string>1024</string></arguments></invoke>",
        };
        for (const char* message : messages) {
            answers.push_back(window->player.CallFunction(message));
        }
        // The reply is inserted unescaped; it still arrives whole.
        answers.push_back(window->player.CallFunction(
            "<invoke name=\"hdgetreg\" returntype=\"xml\"><arguments><string>" + kGbk +
            " a<b&c</string></arguments></invoke>"));
        answers.push_back(window->player.CallFunction(
            "<invoke name=\"no_such_callback\" returntype=\"xml\"><arguments></arguments></invoke>"));
        answers.push_back(window->player.CallFunction(
            "<invoke name=\"kinds\" returntype=\"xml\"><arguments></arguments></invoke>"));
    }));
    EXPECT_EQ(window->commands,
              (std::vector<std::string>{"probe_started|", "probe_echo|turn_next",
                                        "probe_echo|turn_prv", "probe_echo|bg|-0|-30|1280|1024",
                                        "probe_echo|hdgetreg|" + kGbk + " a<b&c"}));
    ASSERT_EQ(answers.size(), 6u);
    EXPECT_EQ(answers[0], "<string>turn_next done</string>");
    EXPECT_EQ(answers[2], "<string>bg done</string>");
    EXPECT_EQ(answers[4], "") << "a callback the movie does not have";
    // Object properties come in the order the movie's object holds them.
    for (const char* part : {"<property id=\"text\"><string>a&lt;b</string></property>",
                             "<property id=\"number\"><number>2.5</number></property>",
                             "<property id=\"yes\"><true/></property>",
                             "<property id=\"nothing\"><null/></property>",
                             "<property id=\"list\"><array><property id=\"0\"><number>1</number>"
                             "</property><property id=\"1\"><string>x</string></property></array>"}) {
        EXPECT_NE(answers[5].find(part), std::string::npos) << part << " in " << answers[5];
    }
}

TEST_F(PlayerTest, FsCommandsArriveInOrderAndInTheCodePage) {
    ASSERT_TRUE(Run([&] {
        window->player.CallFunction(
            "<invoke name=\"burst\" returntype=\"xml\"><arguments><string>40</string></arguments></invoke>");
        window->player.CallFunction("<invoke name=\"send\" returntype=\"xml\"><arguments><string>" +
                                    kGbk + "</string><string>x|" + kGbk +
                                    "</string></arguments></invoke>");
        window->WaitForCommands(42);
    }));
    std::vector<std::string> expected{"probe_started|"};
    for (int i = 1; i <= 40; ++i) {
        expected.push_back("seq|" + std::to_string(i));
    }
    expected.push_back(kGbk + "|x|" + kGbk);
    EXPECT_EQ(window->commands, expected);
}

TEST_F(PlayerTest, CallsFromInsideAnFsCommandAreAnsweredAndLaterCommandsWait) {
    // The viewer answers a command with a call made inside the event; the
    // movie's answer to that call comes as a command after the first one.
    std::vector<std::string> seen;
    ASSERT_TRUE(Run([&] {
        window->player.SetFsCommandHandler([&](const std::string& command, const std::string& args) {
            seen.push_back(command + "|" + args);
            if (command == "readreg") {
                const std::string answer = window->player.CallFunction(
                    "<invoke name=\"hdgetreg\" returntype=\"xml\"><arguments><string>v</string>"
                    "</arguments></invoke>");
                seen.push_back("answer " + answer);
            }
        });
        window->player.CallFunction("<invoke name=\"send\" returntype=\"xml\"><arguments>"
                                    "<string>readreg</string><string>HKCU|k|v</string></arguments></invoke>");
        ProbeWindow::Pump(300);
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"readreg|HKCU|k|v",
                                              "answer <string>hdgetreg done</string>",
                                              "probe_echo|hdgetreg|v"}));
}

WebKitWebView* FindWebView(GtkWidget* widget) {
    if (WEBKIT_IS_WEB_VIEW(widget)) {
        return WEBKIT_WEB_VIEW(widget);
    }
    WebKitWebView* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child && !found; child = child->next) {
            found = FindWebView(GTK_WIDGET(child->data));
        }
        g_list_free(children);
    }
    return found;
}

WebKitWebView* TheWebView() {
    WebKitWebView* view = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item && !view; item = item->next) {
        view = FindWebView(GTK_WIDGET(item->data));
    }
    g_list_free(toplevels);
    return view;
}

bool HasFocus(WebKitWebView* view) {
    GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(view));
    return GTK_IS_WINDOW(toplevel) && gtk_window_get_focus(GTK_WINDOW(toplevel)) == GTK_WIDGET(view);
}

// What the page believes: "visible" or "hidden", and the pixel ratio it draws at.
std::string PageState() {
    WebKitWebView* view = TheWebView();
    if (!view) {
        return "no web view";
    }
    std::string state;
    bool done = false;
    struct Answer {
        std::string* state;
        bool* done;
    } answer{&state, &done};
    webkit_web_view_evaluate_javascript(
        view, "document.visibilityState + ' ' + (devicePixelRatio < 0.01 ? 'tiny' : 'full')", -1,
        nullptr, nullptr, nullptr,
        +[](GObject* source, GAsyncResult* result, gpointer data) {
            auto* to = static_cast<Answer*>(data);
            if (JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source),
                                                                            result, nullptr)) {
                gchar* text = jsc_value_to_string(value);
                *to->state = text;
                g_free(text);
                g_object_unref(value);
            }
            *to->done = true;
        },
        &answer);
    for (int i = 0; i < 200 && !done; ++i) {
        ProbeWindow::Pump(10);
    }
    return state;
}

TEST_F(PlayerTest, APageNobodyCanSeeIsHiddenAndShownAgainDrawnAtOnce) {
    std::vector<std::string> states;
    std::string circle;
    bool focusBefore = false;
    bool focusAfter = false;
    ASSERT_TRUE(Run([&] {
        ProbeWindow::Pump(300);
        ASSERT_NE(TheWebView(), nullptr);
        gtk_widget_grab_focus(GTK_WIDGET(TheWebView()));
        focusBefore = HasFocus(TheWebView());
        states.push_back(PageState());
        window->ShowWindow(ui::kSwMinimize);
        ProbeWindow::Pump(500);
        states.push_back(PageState());
        window->ShowWindow(ui::kSwRestore);
        ProbeWindow::Pump(500);
        states.push_back(PageState());
        // A window over the whole screen, placed there by no window manager.
        GtkWidget* cover = gtk_window_new(GTK_WINDOW_POPUP);
        const ui::Rect desktop = window->GetDesktopRect();
        gtk_window_move(GTK_WINDOW(cover), 0, 0);
        gtk_window_resize(GTK_WINDOW(cover), desktop.Width(), desktop.Height());
        gtk_widget_show(cover);
        ProbeWindow::Pump(500);
        states.push_back(PageState());
        gtk_widget_destroy(cover);
        ProbeWindow::Pump(300);
        states.push_back(PageState());
        focusAfter = HasFocus(TheWebView());
        GdkPixbuf* shot = Capture(window->GetWindowRect());
        ASSERT_NE(shot, nullptr);
        circle = PixelAt(shot, 320, 230);
        g_object_unref(shot);
    }));
    EXPECT_EQ(states, (std::vector<std::string>{"visible full", "hidden tiny", "visible full",
                                                "hidden tiny", "visible full"}));
    EXPECT_EQ(circle, "ffcc00") << "the movie was not drawn again";
    EXPECT_TRUE(focusBefore);
    EXPECT_TRUE(focusAfter) << "the movie lost the keyboard focus";
}

TEST_F(PlayerTest, ARightButtonPressOpensNoMenu) {
    bool same = false;
    int menus = -1;
    ASSERT_TRUE(Run([&] {
        ProbeWindow::Pump(300);
        const ui::Rect player = window->player.GetWindowRect();
        GdkPixbuf* before = Capture(player);
        ASSERT_TRUE(ProbeWindow::Xdotool("mousemove " + std::to_string(player.left + 100) + " " +
                                         std::to_string(player.top + 100) + " click 3"));
        ProbeWindow::Pump(700);
        GdkPixbuf* after = Capture(player);
        same = before && after &&
               gdk_pixbuf_get_byte_length(before) == gdk_pixbuf_get_byte_length(after) &&
               std::equal(gdk_pixbuf_read_pixels(before),
                          gdk_pixbuf_read_pixels(before) + gdk_pixbuf_get_byte_length(before),
                          gdk_pixbuf_read_pixels(after));
        menus = 0;
        GList* toplevels = gtk_window_list_toplevels();
        for (GList* item = toplevels; item; item = item->next) {
            if (gtk_widget_get_visible(GTK_WIDGET(item->data)) &&
                gtk_window_get_window_type(GTK_WINDOW(item->data)) == GTK_WINDOW_POPUP) {
                ++menus;
            }
        }
        g_list_free(toplevels);
        g_object_unref(before);
        g_object_unref(after);
    }));
    EXPECT_EQ(menus, 0) << "a context menu window opened";
    EXPECT_TRUE(same) << "the player's picture changed: a menu was drawn";
}

} // namespace
