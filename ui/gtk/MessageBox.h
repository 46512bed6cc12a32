// Message boxes of the system's own texts (UTF-8).
#pragma once

#include "ui/UiTypes.h"

typedef struct _GtkWindow GtkWindow;

namespace ui {

// Shows `text` under `caption` with one OK button and returns kIdOk once it is
// dismissed. Without a display the text and caption go to standard error.
int MessageBox(const char* text, const char* caption);
// The same, kept above `owner` (may be null) while it is shown.
int MessageBox(GtkWindow* owner, const char* text, const char* caption);

// Dismisses the boxes shown now; later ones return at once, unseen: the
// process is ending and nobody may be left to click them.
void EndMessageBoxes();

} // namespace ui
