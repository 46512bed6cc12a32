// Any argument makes the program the packer; none makes it the viewer of the
// magazine it carries (or that lies beside it).
#include "app/PackerMode.h"
#include "app/TerminationSignals.h"
#include "app/ViewerApp.h"
#include "platform/FileSystem.h"
#include "player/WebKitPlayer.h"
#include "ui/Bitmap.h"
#include "ui/gtk/MessageBox.h"

int main(int argc, char** argv) {
    const std::string executablePath = platform::ExecutablePath();
    if (argc > 1) {
        return app::RunPackerMode({argv + 1, argv + argc}, executablePath,
                                  [](const std::string& text, const std::string& caption) {
                                      ui::MessageBox(text.c_str(), caption.c_str());
                                  });
    }
    app::TerminationSignals signals;
    player::PrepareProcess();
    ui::RegisterBuiltInBitmaps();
    app::ViewerApp viewer(executablePath, signals);
    (void)viewer.InitInstance();
    return viewer.ExitStatus();
}
