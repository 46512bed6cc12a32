#include "app/ViewerApp.h"

#include "app/MagazineCheck.h"
#include "app/PackageErrors.h"
#include "app/Workspace.h"
#include "package/ContentFiles.h"
#include "package/PackageIndex.h"
#include "package/PackageReader.h"
#include "platform/FileSystem.h"
#include "platform/StartupLog.h"
#include "platform/Text.h"
#include "player/PlayerFiles.h"
#include "player/WebKitPlayer.h"
#include "services/UsageStatistics.h"
#include "ui/gtk/DisplayLoss.h"
#include "ui/gtk/GtkWindowSystem.h"
#include "ui/gtk/MessageBox.h"
#include "viewer/BookSettings.h"
#include "viewer/ViewerDialog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

namespace app {

namespace {

constexpr int kExitNoMagazine = 1;
constexpr int kExitNoDisplay = 1;
constexpr int kExitNoWorkspace = 1;
constexpr int kExitDamaged = 1;
constexpr int kExitPlayerFailed = 1;
constexpr char kPackageErrorText[] = "杂志包错误！";
constexpr char kMessageCaption[] = "提示";
// A manifest is a few lines; one larger than this is not read.
constexpr uint64_t kMaxManifestBytes = 64 << 20;

// The package error, with what caused it, on standard error and in the box.
void ShowPackageError(const std::string& reason) {
    std::fprintf(stderr, "kest: %s\n", reason.c_str());
    ui::MessageBox((std::string(kPackageErrorText) + "\n" + reason).c_str(), kMessageCaption);
}

std::string ManifestPath(const std::string& folder) {
    return folder + platform::kPathSeparator + viewer::kManifestName;
}

// While it lives, losing the display removes the Workspace before the
// process ends.
class DisplayLossCleanup {
public:
    explicit DisplayLossCleanup(Workspace& workspace) {
        ui::WhenDisplayLost([&workspace] { (void)workspace.Delete(); });
    }
    ~DisplayLossCleanup() { ui::WhenDisplayLost({}); }
    DisplayLossCleanup(const DisplayLossCleanup&) = delete;
    DisplayLossCleanup& operator=(const DisplayLossCleanup&) = delete;
};

// The package's folders, made in the Workspace so that a movie's copies may
// go into them; what cannot be made is said.
void MakeFolders(const std::string& workspace, const package::PackageIndex& index) {
    for (const std::string& folder : index.Folders()) {
        if (package::PackageReader::MakeFolderPath(workspace + platform::kPathSeparator + folder) != package::PkgOk) {
            std::fprintf(stderr, "kest: the folder %s cannot be made in the temporary folder: %s\n",
                         platform::PrintableText(folder, platform::kLoggedTextBytes).c_str(), std::strerror(errno));
        }
    }
}

} // namespace

void ViewerApp::ReadManifest(const package::ContentFiles& files) {
    std::string text;
    if (files.Read({{viewer::kManifestName, platform::Encoding::Utf8}}, text, kMaxManifestBytes)) {
        (void)manifest.SetText(std::move(text));
    }
}

bool ViewerApp::InitInstance() {
    // A signal dismisses any message box, so that none holds the process.
    terminationSignals.DeliverTo(ui::EndMessageBoxes);
    package::PackageReader reader;
    const std::string& packagePath = magazinePath.empty() ? executablePath : magazinePath;
    const int probe = reader.Probe(packagePath);
    if (probe == package::PkgOk) {
        RunPackage(reader, packagePath);
    } else if (magazinePath.empty()) {
        RunFolder();
    } else {
        std::fprintf(stderr, "kest: %s: %s\n", magazinePath.c_str(), ProbeFailure(probe).c_str());
        exitStatus = kExitNoMagazine;
    }
    return false;
}

void ViewerApp::RunPackage(package::PackageReader& reader, const std::string& packagePath) {
    // Held open while the magazine is read: moving or removing its file
    // meanwhile changes nothing.
    platform::FileStream packageFile;
    const std::string heldPackage =
        packageFile.Open(packagePath.c_str(), "rb") ? packageFile.DescriptorPath() : packagePath;
    const std::string temporaryFolder = platform::TemporaryFolder();
    RemoveStaleWorkspaces(temporaryFolder);
    Workspace workspace;
    if (!workspace.Create(temporaryFolder, platform::CurrentThreadId())) {
        ShowPackageError("cannot make the temporary folder " + workspace.Failure());
        exitStatus = kExitNoWorkspace;
        return;
    }
    // The player's web process, which takes longest, starts first. The
    // magazine is then read straight from its package: however large it is,
    // nothing of it is written before the movie starts.
    const bool display = ui::GtkWindowSystem::OpenDisplay();
    const DisplayLossCleanup cleanup(workspace);
    // The survey fills the index before any of the magazine's files is asked
    // for. Files the Workspace gets (a movie's copies) come before it.
    package::PackageIndex index;
    const package::ContentFiles files(workspace.Path(), index, heldPackage);
    std::unique_ptr<player::WebKitPlayer> player = display ? StartPlayer(files) : nullptr;
    reader.SetCancel([this] { return terminationSignals.Received(); });
    const int surveyed = reader.Survey(workspace.Path(), heldPackage, package::ExtractTrace,
                                       [&index](const auto& entry) { index.Add(entry); });
    if (terminationSignals.Received()) {
        return; // nobody waits for the magazine any more
    }
    if (surveyed != package::PkgOk) {
        // A damaged magazine is not shown: its movie would fail in ways that
        // say nothing of the cause.
        player.reset();
        ShowPackageError(packagePath + ": " + ExtractionFailure(surveyed));
        exitStatus = kExitDamaged;
    } else if (!display) {
        ReportNoDisplay();
    } else {
        platform::LogStartup("package checked");
        MakeFolders(workspace.Path(), index);
        ReadManifest(files);
        RunWindow(files, std::move(player));
    }
    if (!workspace.Delete()) {
        ui::MessageBox("删除临时目录失败！", kMessageCaption);
    }
}

void ViewerApp::RunFolder() {
    const size_t separator = executablePath.rfind(platform::kPathSeparator);
    const std::string folder =
        executablePath.substr(0, separator == std::string::npos ? 0 : separator);
    const std::string manifestPath = ManifestPath(folder);
    platform::FileStream manifestFile;
    if (!manifestFile.Open(manifestPath.c_str(), "rb")) {
        std::fprintf(stderr,
                     "kest: no magazine found: %s does not hold a package and %s cannot be read\n",
                     executablePath.c_str(), manifestPath.c_str());
        exitStatus = kExitNoMagazine;
        return;
    }
    manifestFile.Close();
    ShowFolder(folder);
}

void ViewerApp::PreviewFolder() {
    WarnAboutMagazineFolder(magazinePath);
    // The movie's commands take the content folder as a whole path.
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::canonical(magazinePath, error);
    if (error) {
        std::fprintf(stderr, "kest: %s: %s\n", magazinePath.c_str(), error.message().c_str());
        exitStatus = kExitNoMagazine;
        return;
    }
    ShowFolder(folder.string());
}

void ViewerApp::ShowFolder(const std::string& folder) {
    if (!ui::GtkWindowSystem::OpenDisplay()) {
        ReportNoDisplay();
        return;
    }
    const package::ContentFiles files(folder);
    auto player = StartPlayer(files);
    ReadManifest(files);
    RunWindow(files, std::move(player));
}

void ViewerApp::ReportNoDisplay() {
    std::fputs("kest: cannot open the display to show the magazine\n", stderr);
    exitStatus = kExitNoDisplay;
}

std::unique_ptr<player::WebKitPlayer> ViewerApp::StartPlayer(const package::ContentFiles& files) {
    return std::make_unique<player::WebKitPlayer>(playerFolder, files, PlayerFailed());
}

// A player that cannot start the movie has told the reader; the window
// closes and the run fails.
std::function<void()> ViewerApp::PlayerFailed() {
    return [this] {
        playerFailed = true;
        if (shownDialog) {
            shownDialog->EndDialog(ui::kIdCancel);
        }
    };
}

void ViewerApp::RunWindow(const package::ContentFiles& files, std::unique_ptr<player::WebKitPlayer> player) {
    const auto windowSystem = ui::GtkWindowSystem::Open(
        player::WebKitPlayers(playerFolder, files, PlayerFailed(), std::move(player)));
    if (!windowSystem) {
        ReportNoDisplay();
        return;
    }
    // Sent beside the window; closing waits for it at most a moment.
    std::optional<services::UsageStatisticsRequest> statistics;
    viewer::ViewerDialog dialog(*windowSystem, files, viewer::ReadBookSettings(manifest),
                                [&statistics] { statistics.emplace(services::StatisticsAddress()); });
    shownDialog = &dialog;
    terminationSignals.DeliverTo([&dialog] {
        ui::EndMessageBoxes();
        dialog.EndDialog(ui::kIdCancel);
    });
    (void)dialog.DoModal();
    terminationSignals.DeliverTo(ui::EndMessageBoxes);
    shownDialog = nullptr;
    if (playerFailed) {
        exitStatus = kExitPlayerFailed;
    }
}

} // namespace app
