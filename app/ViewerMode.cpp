#include "app/ViewerApp.h"
#include "app/Workspace.h"
#include "package/PackageReader.h"
#include "ui/gtk/MessageBox.h"
#include "platform/StartupLog.h"
#include "platform/FileSystem.h"
#include "player/PlayerFiles.h"
#include "player/WebKitPlayer.h"
#include "ui/gtk/GtkWindowSystem.h"
#include "services/UsageStatistics.h"
#include "viewer/ViewerDialog.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr int kExitNoMagazine = 1;
constexpr int kExitNoDisplay = 1;
constexpr int kExitPlayerFailed = 1;
constexpr char kManifestName[] = "kest.xml";

// Copies at most the buffer's size less one byte, always terminated.
void CopyPath(char (&to)[kContentFolderSize], const std::string& from) {
    std::strncpy(to, from.c_str(), kContentFolderSize - 1);
    to[kContentFolderSize - 1] = '\0';
}

std::string ManifestPath(const char* folder) {
    return std::string(folder) + platform::kPathSeparator + kManifestName;
}

} // namespace

void ViewerApp::RunViewerMode() {
    PackageReader reader;
    if (reader.Probe(executablePath) == PkgOk) {
        // Package mode: the magazine is extracted into a Workspace of this run.
        Workspace workspace;
        if (workspace.Create(platform::TemporaryFolder(), platform::CurrentThreadId())) {
            (void)reader.Extract(workspace.Path(), executablePath, ExtractMakeRoot | ExtractTrace);
            CopyPath(contentFolder, workspace.Path());
            (void)platform::ChangeDirectory(contentFolder);
            (void)manifest.LoadFile(ManifestPath(contentFolder).c_str());
            platform::LogStartup("extracted");
        }
        if (!RunWindow()) {
            exitStatus = kExitNoDisplay;
        }
        if (!workspace.Delete() && !workspace.Path().empty()) {
            ui::MessageBox("删除临时目录失败！", "提示");
        }
        return;
    }
    // Folder mode: the magazine lies beside the executable.
    const size_t separator = executablePath.rfind(platform::kPathSeparator);
    CopyPath(contentFolder, executablePath.substr(0, separator == std::string::npos ? 0 : separator));
    (void)platform::ChangeDirectory(contentFolder);
    const std::string manifestPath = ManifestPath(contentFolder);
    platform::FileStream probe;
    if (!probe.Open(manifestPath.c_str(), "rb")) {
        std::fprintf(stderr, "kest: no magazine found: %s does not hold a package and %s cannot be read\n",
                     executablePath.c_str(), manifestPath.c_str());
        exitStatus = kExitNoMagazine;
        return;
    }
    probe.Close();
    (void)manifest.LoadFile(manifestPath.c_str());
    if (!RunWindow()) {
        exitStatus = kExitNoDisplay;
    }
}

bool ViewerApp::RunWindow() {
    // A player that cannot start the movie has told the reader; the window
    // closes and the run fails.
    ViewerDialog* shown = nullptr;
    bool playerFailed = false;
    const auto windowSystem = ui::GtkWindowSystem::Open(
        player::WebKitPlayers(player::PlayerFolderFromEnvironment(), [&shown, &playerFailed] {
            playerFailed = true;
            if (shown) {
                shown->EndDialog(ui::kIdCancel);
            }
        }));
    if (!windowSystem) {
        std::fputs("kest: cannot open the display to show the magazine\n", stderr);
        return false;
    }
    // Sent beside the window; closing waits for it at most a moment.
    std::optional<services::UsageStatisticsRequest> statistics;
    ViewerDialog dialog(*windowSystem, contentFolder, manifest,
                        [&statistics] { statistics.emplace(services::StatisticsAddress()); });
    shown = &dialog;
    (void)dialog.DoModal();
    shown = nullptr;
    if (playerFailed) {
        exitStatus = kExitPlayerFailed;
    }
    return true;
}
