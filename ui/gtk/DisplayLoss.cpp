#include "ui/gtk/DisplayLoss.h"

#include <X11/Xlib.h>

namespace ui {

namespace {

std::function<void()> lastWords;
XIOErrorHandler endProcess = nullptr;

// The X library ends the process once this returns; the handler it had
// (the toolkit's) says why and ends it.
int OnDisplayLost(Display* display) {
    if (lastWords) {
        lastWords();
    }
    return endProcess(display);
}

} // namespace

void WhenDisplayLost(std::function<void()> last) {
    lastWords = std::move(last);
    if (endProcess == nullptr) {
        endProcess = XSetIOErrorHandler(OnDisplayLost);
    }
}

} // namespace ui
