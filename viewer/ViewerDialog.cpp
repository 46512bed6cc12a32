#include "viewer/ViewerDialog.h"

#include "platform/FileSystem.h"
#include "services/CopyFileCommand.h"
#include "services/RegistryCommands.h"
#include "viewer/InvokeMessages.h"

namespace viewer {


namespace {

using ui::Rect;
using ui::RectAt;

constexpr char kBitmapFolder[] = "resource:///kest/bitmaps/";
constexpr char kMessageCaption[] = "提示";
constexpr char kPackageErrorText[] = "杂志包错误！";
// A background larger than this is not drawn.
constexpr uint64_t kMaxBackgroundBytes = 64 << 20;

std::string BitmapPath(const char* name) { return std::string(kBitmapFolder) + name + ".png"; }

// The magazine's file `name`, as the host spells it.
std::vector<platform::Spelling> Named(const std::string& name) { return {{name, platform::HostStepping()}}; }

} // namespace

ViewerDialog::ViewerDialog(ui::WindowSystem& system, package::ContentFiles magazineFiles,
                           BookSettings settings, std::function<void()> sendStatistics)
    : Dialog(system), files(std::move(magazineFiles)), book(std::move(settings)),
      sendUsageStatistics(std::move(sendStatistics)) {
    (void)icon.Load(BitmapPath("128-icon"));
}

ui::Control& ViewerDialog::ControlAt(LayoutSlot slot) {
    switch (slot) {
    case SlotClose: return closeButton;
    case SlotMaximize: return maximizeButton;
    case SlotMinimize: return minimizeButton;
    case SlotNext: return nextButton;
    case SlotPrevious: return previousButton;
    default: return player;
    }
}

void ViewerDialog::RecordLayout(Layout& layout) {
    for (int slot = 0; slot < kLayoutSlots; ++slot) {
        layout[slot] = ControlAt(static_cast<LayoutSlot>(slot)).GetWindowRect();
    }
}

void ViewerDialog::ApplyLayout(const Layout& layout) {
    for (int slot = 0; slot < kLayoutSlots; ++slot) {
        ControlAt(static_cast<LayoutSlot>(slot)).MoveWindow(layout[slot], true);
    }
}

void ViewerDialog::CreateControls() {
    // In the order of the window's template: later controls lie on top.
    if (player.Create(*this, kIdPlayer)) {
        player.SetFsCommandHandler(
            [this](const std::string& command, const std::string& args) { OnFSCommand(command, args); });
    }
    if (titleStrip.Create(*this, kIdTitleStrip)) {
        titleStrip.LoadBitmap(BitmapPath("134-title"));
        titleStrip.MoveWindow(RectAt(0, 0, 722, kViewerTitleHeight), false);
    }
    (void)closeButton.Create(*this, kIdCloseButton);
    (void)maximizeButton.Create(*this, kIdMaximizeButton);
    (void)minimizeButton.Create(*this, kIdMinimizeButton);
    (void)nextButton.Create(*this, kIdNextButton);
    (void)previousButton.Create(*this, kIdPreviousButton);
}

void ViewerDialog::PlaceButtons(int width) {
    const struct {
        ui::BitmapButton& button;
        const char* up;
        const char* down;
    } buttons[] = {
        {closeButton, "131-close-up", "130-close-down"},
        {maximizeButton, "142-maximise-up", "143-maximise-down"},
        {minimizeButton, "136-minimise-up", "135-minimise-down"},
        {nextButton, "138-next-up", "137-next-down"},
        {previousButton, "140-previous-up", "139-previous-down"},
    };
    for (const auto& entry : buttons) {
        entry.button.LoadBitmaps(BitmapPath(entry.up), BitmapPath(entry.down), BitmapPath(entry.up));
        entry.button.SizeToContent();
    }
    const auto place = [](ui::Control& control, int x, int y) {
        const Rect size = control.GetClientRectInParent();
        control.MoveWindow(RectAt(x, y, size.Width(), size.Height()), true);
    };
    const int closeX = width - closeButton.GetClientRectInParent().Width() - 4;
    const int maximizeX = closeX - 4 - maximizeButton.GetClientRectInParent().Width();
    const int minimizeWidth = minimizeButton.GetClientRectInParent().Width();
    place(closeButton, closeX, 2);
    place(maximizeButton, maximizeX, 2);
    place(minimizeButton, maximizeX - 4 - minimizeWidth, 2);
    // Both page buttons are placed by the minimise button's width.
    place(nextButton, width - 118 - minimizeWidth, 5);
    place(previousButton, width - 170 - minimizeWidth, 5);
}

bool ViewerDialog::OnInitDialog() {
    CreateControls();
    SetIcon(icon);

    hasBackground = false;
    std::string picture;
    platform::FileStream pictureStream;
    if (files.Read(Named("resource/bgimg.jpg"), picture, kMaxBackgroundBytes) &&
        pictureStream.OpenMemory(picture.data(), picture.size())) {
        hasBackground = background.Load(pictureStream);
    }

    const std::string moviePath = files.Folder() + platform::kPathSeparator + book.entrance;
    if (!files.Find(Named(book.entrance))) {
        MessageBox(kPackageErrorText, kMessageCaption);
        EndDialog(kViewerPackageError);
    }

    sendUsageStatistics();

    MoveWindow(RectAt(0, 0, book.width, book.height + kViewerTitleHeight), true);
    player.MoveWindow(RectAt(0, kViewerTitleHeight, book.width, book.height), true);

    PlaceButtons(book.width);
    RecordLayout(initialLayout);

    player.LoadMovie(0, moviePath);
    player.Play();
    SetTimer(kViewerBackgroundTimer, kViewerBackgroundDelay);
    return true;
}

void ViewerDialog::OnShowWindow(bool /*show*/) {
    if (layoutRecorded) {
        return;
    }
    MoveWindow(GetWindowRect(), true);
    RecordLayout(shownLayout);
    layoutRecorded = true;
}

void ViewerDialog::ToggleMaximize() {
    if (IsZoomed()) {
        ShowWindow(ui::kSwShowNormal);
        ApplyLayout(initialLayout);
        titleStrip.ShowWindow(ui::kSwShow);
    } else {
        ShowWindow(ui::kSwMaximize);
        ApplyLayout(shownLayout);
        titleStrip.ShowWindow(ui::kSwHide);
    }
}

void ViewerDialog::OnSize(int type, int /*cx*/, int /*cy*/) {
    if (type != ui::kSizeRestored || !layoutRecorded) {
        return;
    }
    ApplyLayout(initialLayout);
    titleStrip.ShowWindow(ui::kSwShow);
    ShowWindow(ui::kSwShowNormal);
}

void ViewerDialog::OnTimer(int /*id*/) {
    KillTimer(kViewerBackgroundTimer);
    const Rect desktop = GetDesktopRect();
    const Rect& playerRect = shownLayout[SlotPlayer];
    // However late the movie starts, and when a failed start is made again.
    player.CallOnStart(BackgroundMessage(playerRect.left, playerRect.top, desktop.right, desktop.bottom));
}

bool ViewerDialog::OnKeyDown(unsigned key, unsigned /*repeatCount*/, unsigned /*flags*/) {
    switch (key) {
    case ui::kVkLeft:
    case ui::kVkPrior:
        player.CallFunction(kInvokeTurnPrevious);
        break;
    case ui::kVkRight:
    case ui::kVkNext:
        player.CallFunction(kInvokeTurnNext);
        break;
    default:
        break;
    }
    return false; // default processing goes on
}

int ViewerDialog::OnNcHitTest(ui::Point screen) {
    return IsZoomed() ? Dialog::OnNcHitTest(screen) : ui::kHtCaption;
}

bool ViewerDialog::OnCommand(int id) {
    switch (id) {
    case kIdCloseButton: OnOK(); return true;
    case kIdMinimizeButton: ShowWindow(ui::kSwShowMinimized); return true;
    case kIdMaximizeButton: ToggleMaximize(); return true;
    case kIdNextButton: player.CallFunction(kInvokeTurnNext); return true;
    case kIdPreviousButton: player.CallFunction(kInvokeTurnPrevious); return true;
    default: return Dialog::OnCommand(id);
    }
}

void ViewerDialog::OnCancel() {
    if (IsZoomed()) {
        ToggleMaximize();
    } else {
        EndDialog(ui::kIdCancel);
    }
}

void ViewerDialog::OnPaint(platform::DeviceContext& dc) {
    if (IsIconic()) {
        const Rect client = GetClientRect();
        icon.Draw(dc, (client.Width() - icon.Width()) / 2, (client.Height() - icon.Height()) / 2);
    } else if (IsZoomed() && hasBackground) {
        const Rect client = GetClientRect();
        background.Draw(&dc, {client.left, client.top, client.right, client.bottom});
    }
}

const char* ViewerDialog::ReadRegistryValue(char* args) {
    return services::ReadRegistryValue(args, replyBuffer);
}

const char* ViewerDialog::WriteRegistryValue(char* args) {
    return services::WriteRegistryValue(args, replyBuffer);
}

const char* ViewerDialog::CopyOneFile(char* args) {
    return services::CopyOneFile(args, files, replyBuffer);
}

} // namespace viewer
