// The viewer's only window: a borderless dialog that shows the magazine's
// movie under a 30-pixel strip with a title and five buttons, turns pages
// from the buttons and keys, changes between normal, maximised and
// minimised, and answers the movie's commands.
#pragma once

#include "package/ContentFiles.h"
#include "ui/Control.h"
#include "ui/Dialog.h"
#include "services/CommandArgs.h"
#include "viewer/Picture.h"
#include "viewer/BookSettings.h"
#include "viewer/CShockwaveflash1.h"

#include <functional>
#include <optional>
#include <string>

namespace viewer {

// Control identifiers.
inline constexpr int kIdPlayer = 1000;
inline constexpr int kIdCloseButton = 1006;
inline constexpr int kIdMinimizeButton = 1007;
inline constexpr int kIdNextButton = 1008;
inline constexpr int kIdPreviousButton = 1009;
inline constexpr int kIdTitleStrip = 1010;
inline constexpr int kIdMaximizeButton = 1013;

inline constexpr int kViewerTitleHeight = 30;
inline constexpr int kViewerBackgroundTimer = 100;
inline constexpr unsigned kViewerBackgroundDelay = 300;
// What DoModal returns when the magazine's entrance movie is missing.
inline constexpr int kViewerPackageError = -2;

class ViewerDialog : public ui::Dialog {
public:
    // The window shows the magazine of `files` as its manifest's `book`
    // describes it; `sendUsageStatistics` is called once while the window
    // initialises.
    ViewerDialog(ui::WindowSystem& windowSystem, package::ContentFiles files, BookSettings book,
                 std::function<void()> sendUsageStatistics);

    // Maximises a normal window, restores a maximised one.
    void ToggleMaximize();

    // The movie's fscommand calls.
    void OnFSCommand(const std::string& command, const std::string& args);

    // Host commands; each answers in replyBuffer and returns it.
    const char* ReadRegistryValue(char* args);
    const char* WriteRegistryValue(char* args);
    const char* CopyOneFile(char* args);

protected:
    bool OnInitDialog() override;
    void OnPaint(platform::DeviceContext& dc) override;
    void OnSize(int type, int cx, int cy) override;
    void OnShowWindow(bool show) override;
    void OnTimer(int id) override;
    bool OnKeyDown(unsigned key, unsigned repeatCount, unsigned flags) override;
    int OnNcHitTest(ui::Point screen) override;
    bool OnCommand(int id) override;
    void OnCancel() override;

private:
    // The six controls whose places are recorded, in this order.
    enum LayoutSlot { SlotClose, SlotMaximize, SlotMinimize, SlotNext, SlotPrevious, SlotPlayer, kLayoutSlots };
    using Layout = ui::Rect[kLayoutSlots];

    ui::Control& ControlAt(LayoutSlot slot);
    void RecordLayout(Layout& layout);
    void ApplyLayout(const Layout& layout);
    void CreateControls();
    void PlaceButtons(int width);
    void ReplyToMovie(const char* reply);

    ui::Bitmap icon;
    Picture background;
    services::ReplyBuffer replyBuffer{};
    CShockwaveflash1 player;
    bool layoutRecorded = false;
    bool hasBackground = false;
    ui::BitmapButton closeButton;
    ui::BitmapButton minimizeButton;
    ui::BitmapButton maximizeButton;
    ui::BitmapButton nextButton;
    ui::BitmapButton previousButton;
    ui::StaticPicture titleStrip;
    Layout initialLayout{};
    Layout shownLayout{};

    package::ContentFiles files;
    BookSettings book;
    std::function<void()> sendUsageStatistics;
};

} // namespace viewer
