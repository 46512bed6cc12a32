// Without arguments the program shows the magazine it carries (or that lies
// beside it); with arguments it packs, opens, lists or extracts another
// magazine file, previews a magazine folder, or says how it is used.
#include "app/CommandLine.h"
#include "app/MagazineFiles.h"
#include "app/PackerMode.h"
#include "app/TerminationSignals.h"
#include "app/ViewerApp.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "player/ProcessEnvironment.h"
#include "player/WebKitPlayer.h"
#include "ui/Bitmap.h"
#include "ui/gtk/MessageBox.h"

#include <cstdio>
#include <exception>

namespace {

constexpr int kExitUsage = 2;

constexpr int kExitFailure = 1;

int RunViewer(const std::string& executablePath, const app::CommandLine& command) {
    app::TerminationSignals signals;
    // Once, before anything crosses to the movie.
    platform::FixRegistryDatabasePath();
    player::PrepareProcess();
    ui::RegisterBuiltInBitmaps();
    // Caught, so that the stack unwinds and the Workspace goes with it.
    try {
        app::ViewerApp viewer(executablePath, command.magazine, signals);
        if (command.action == app::Action::Preview) {
            viewer.PreviewFolder();
        } else {
            (void)viewer.InitInstance();
        }
        return viewer.ExitStatus();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "kest: %s\n", failure.what());
        return kExitFailure;
    }
}

} // namespace

int main(int argc, char** argv) {
    platform::ChooseHostEncoding();
    const std::string executablePath = platform::ExecutablePath();
    const app::CommandLine command = app::ReadCommandLine({argv + 1, argv + argc});
    switch (command.action) {
    case app::Action::View:
    case app::Action::Open:
    case app::Action::Preview:
        return RunViewer(executablePath, command);
    case app::Action::Pack:
        return app::RunPackerMode(command.pack, executablePath,
                                  [](const std::string& text, const std::string& caption) {
                                      ui::MessageBox(text.c_str(), caption.c_str());
                                  });
    case app::Action::List:
        return app::ListMagazine(command.magazine);
    case app::Action::Extract:
        return app::ExtractMagazine(command.magazine, command.folder);
    case app::Action::Help:
        std::fputs(app::kUsageText, stdout);
        return 0;
    case app::Action::Version:
        std::fputs(app::VersionText(executablePath).c_str(), stdout);
        return 0;
    case app::Action::Usage:
        break;
    }
    std::fputs(app::kUsageText, stderr);
    return kExitUsage;
}
