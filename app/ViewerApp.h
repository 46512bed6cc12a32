// Viewer mode: finds the magazine (the package appended to the executable,
// else the folder the executable lies in, or the folder previewed), shows it
// in the viewer window and cleans up after it.
#pragma once

#include "app/TerminationSignals.h"
#include "markup/MarkupDoc.h"
#include "package/PackageReader.h"
#include "player/PlayerFiles.h"

#include <functional>
#include <memory>
#include <string>

namespace package {
class ContentFiles;
}
namespace player {
class WebKitPlayer;
}
namespace viewer {
class ViewerDialog;
}

namespace app {

class ViewerApp {
public:
    // Shows the magazine that `magazine` carries, or without one the
    // executable's own. `signals` were taken over before the first thread
    // started, so that no thread of the process ends it while a Workspace
    // exists.
    ViewerApp(std::string executable, std::string magazine, TerminationSignals& signals)
        : executablePath(std::move(executable)), magazinePath(std::move(magazine)),
          terminationSignals(signals) {}

    // The whole of viewer mode. Always returns false: no loop of the
    // application's own runs after it.
    bool InitInstance();
    // Viewer mode over the magazine folder `magazine` as it is, as it would
    // open when packed, without a Workspace; what packing would warn of is
    // said first.
    void PreviewFolder();
    int ExitStatus() const { return exitStatus; }

private:
    // Package mode: the magazine is extracted into a Workspace of this run.
    void RunPackage(package::PackageReader& reader, const std::string& packagePath);
    // Folder mode: the magazine lies beside the executable.
    void RunFolder();
    // Shows the magazine in `folder`, which needs no cleaning up after it.
    void ShowFolder(const std::string& folder);
    // Loads the manifest of the magazine's `files`.
    void ReadManifest(const package::ContentFiles& files);
    // Runs the window, with `player` in it, modally over the magazine's
    // `files`; a signal (one that came already too) closes it.
    void RunWindow(const package::ContentFiles& files, std::unique_ptr<player::WebKitPlayer> player);
    void ReportNoDisplay();
    // The player of the window, made before the window (the display is open).
    std::unique_ptr<player::WebKitPlayer> StartPlayer(const package::ContentFiles& files);
    std::function<void()> PlayerFailed();

    std::string executablePath;
    std::string magazinePath;
    // Where the players' files come from (KEST_PLAYER_DIR; empty: built in).
    const std::string playerFolder = player::PlayerFolderFromEnvironment();
    TerminationSignals& terminationSignals;
    int exitStatus = 0;
    // The magazine's manifest, kest.xml.
    markup::MarkupDoc manifest;
    viewer::ViewerDialog* shownDialog = nullptr;
    bool playerFailed = false;
};

} // namespace app
