#include "FakeWindowSystem.h"

#include "ui/Bitmap.h"

#include <cstdlib>

namespace fake {

ControlRecord* WindowRecord::Control(int id) {
    for (auto& control : controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

namespace {

std::string Size(const ui::Bitmap* bitmap) {
    return bitmap ? std::to_string(bitmap->Width()) + "x" + std::to_string(bitmap->Height()) : "-";
}

// The part every control peer shares. Each finds its record by index: the
// records live in a vector that grows.
template <typename Interface> class FakeControl : public Interface {
public:
    FakeControl(WindowRecord& w, size_t i) : window(w), index(i) {}
    ~FakeControl() override { Record().alive = false; }
    void Move(const Rect& r) override { Record().rect = r; }
    void SetVisible(bool v) override { Record().visible = v; }

protected:
    ControlRecord& Record() { return window.controls[index]; }

    WindowRecord& window;
    size_t index;
};

class Button : public FakeControl<ui::ButtonPeer> {
public:
    using FakeControl::FakeControl;
    void SetBitmaps(const ui::Bitmap* up, const ui::Bitmap* down,
                    const ui::Bitmap* focus) override {
        Record().bitmaps = {Size(up), Size(down), Size(focus)};
    }
};

class Picture : public FakeControl<ui::PicturePeer> {
public:
    using FakeControl::FakeControl;
    void SetBitmap(const ui::Bitmap* bitmap) override { Record().bitmaps = {Size(bitmap)}; }
};

class Player : public FakeControl<ui::PlayerPeer> {
public:
    using FakeControl::FakeControl;
    void LoadMovie(int layer, const std::string& url) override {
        window.player.calls.push_back("LoadMovie " + std::to_string(layer) + " " + url);
    }
    void Play() override { window.player.calls.push_back("Play"); }
    std::string CallFunction(const std::string& request) override {
        window.player.calls.push_back("CallFunction " + request);
        return window.player.answer ? window.player.answer(request) : std::string();
    }
    void CallOnStart(const std::string& request) override { window.player.calls.push_back("CallOnStart " + request); }
    void SetFsCommandHandler(ui::FsCommandHandler handler) override {
        window.player.fsCommand = std::move(handler);
    }
};

class Window : public ui::WindowPeer {
public:
    explicit Window(WindowRecord& w) : window(w) {}
    ~Window() override { window.alive = false; }

    void Move(const Rect& r) override { window.rect = r; }
    void SetVisible(bool v) override { window.visible = v; }
    void SetState(WindowState s) override {
        window.state = s;
        window.stateRequests.push_back(s);
    }
    void SetIcon(const ui::Bitmap&) override { window.hasIcon = true; }
    void Invalidate() override {}
    Rect DesktopRect() const override { return window.desktop; }
    void StartTimer(int id, unsigned ms) override { window.timers[id] = ms; }
    void StopTimer(int id) override { window.timers.erase(id); }
    void RunModalLoop() override {
        ++window.loopsRun;
        quit = false;
        if (window.duringLoop && window.loopsRun == 1) {
            window.duringLoop();
        }
        if (window.loopsRun > 100) {
            std::abort(); // the dialog ignores every way out
        }
        if (!quit) {
            // Nothing ended the dialog: end it as the platform's close would.
            window.messageBoxes.push_back("fake: loop left running");
            window.events->PeerCommand(ui::kIdCancel);
        }
    }
    void QuitModalLoop() override { quit = true; }

    std::unique_ptr<ui::ButtonPeer> CreateButton(int id) override {
        return std::make_unique<Button>(window, Add(id, "button"));
    }
    std::unique_ptr<ui::PicturePeer> CreatePicture(int id) override {
        return std::make_unique<Picture>(window, Add(id, "picture"));
    }
    std::unique_ptr<ui::PlayerPeer> CreatePlayer(int id) override {
        return std::make_unique<Player>(window, Add(id, "player"));
    }
    int MessageBox(const std::string& text, const std::string& caption) override {
        window.messageBoxes.push_back(caption + ": " + text);
        return ui::kIdOk;
    }

private:
    size_t Add(int id, const char* kind) {
        window.controls.push_back({id, kind, {}, true, true, {}});
        return window.controls.size() - 1;
    }

    WindowRecord& window;
    bool quit = false;
};

} // namespace

std::unique_ptr<ui::WindowPeer> WindowSystem::CreateWindow(ui::WindowEvents& events) {
    ++windowsCreated;
    window.events = &events;
    window.alive = true;
    return std::make_unique<Window>(window);
}

} // namespace fake
