#include "ui/gtk/MessageBox.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace ui {

namespace {

// Main thread only, as every box is.
std::vector<GtkWidget*> shownBoxes;
bool boxesEnded = false;

} // namespace

int MessageBox(const char* text, const char* caption) { return MessageBox(nullptr, text, caption); }

int MessageBox(GtkWindow* owner, const char* text, const char* caption) {
    // Without a display nobody could click the box: the text goes to the log.
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return kIdOk;
    }
    if (boxesEnded) {
        return kIdOk;
    }
    // A path in the text may hold bytes of another encoding (a magazine's
    // code page 936 name); the toolkit draws only UTF-8.
    gchar* shown = g_utf8_make_valid(text, -1);
    GtkWidget* box = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                            GTK_BUTTONS_OK, "%s", shown);
    g_free(shown);
    gtk_window_set_title(GTK_WINDOW(box), caption);
    shownBoxes.push_back(box);
    gtk_dialog_run(GTK_DIALOG(box));
    shownBoxes.erase(std::find(shownBoxes.begin(), shownBoxes.end(), box));
    gtk_widget_destroy(box);
    return kIdOk;
}

void EndMessageBoxes() {
    boxesEnded = true;
    for (GtkWidget* box : shownBoxes) {
        gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_NONE);
    }
}

} // namespace ui
