#include "viewer/CShockwaveflash1.h"

#include "platform/Text.h"

namespace viewer {

bool CShockwaveflash1::Create(ui::Dialog& parent, int newId) {
    ui::WindowPeer* window = ParentPeer(parent);
    if (!window || !Attach(parent, newId, window->CreatePlayer(newId))) {
        return false;
    }
    // The player speaks Unicode; the handler gets the host's encoding.
    Player()->SetFsCommandHandler([this](const std::string& command, const std::string& args) {
        if (fsCommand) {
            fsCommand(platform::Utf8ToHost(command), platform::Utf8ToHost(args));
        }
    });
    return true;
}

void CShockwaveflash1::SetFsCommandHandler(FsCommandHandler handler) {
    fsCommand = std::move(handler);
}

ui::PlayerPeer* CShockwaveflash1::Player() const {
    return static_cast<ui::PlayerPeer*>(Peer());
}

void CShockwaveflash1::LoadMovie(int layer, const std::string& url) {
    if (Player()) {
        Player()->LoadMovie(layer, url);
    }
}

void CShockwaveflash1::Play() {
    if (Player()) {
        Player()->Play();
    }
}

std::string CShockwaveflash1::CallFunction(const std::string& request) {
    if (!Player()) {
        return {};
    }
    return platform::Utf8ToHost(Player()->CallFunction(platform::HostToUtf8(request)));
}

void CShockwaveflash1::CallOnStart(const std::string& request) {
    if (Player()) {
        Player()->CallOnStart(platform::HostToUtf8(request));
    }
}

} // namespace viewer
