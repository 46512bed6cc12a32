// The movie player control as the viewer window uses it: load and play a
// movie, call the movie's functions with invoke messages, and hear its
// fscommand calls. Texts on this side are in the host's encoding (the
// locale's: UTF-8 on current desktops, code page 936 under a GBK locale).
#pragma once

#include "ui/PlayerPeer.h"
#include "ui/Control.h"

#include <functional>
#include <string>

namespace viewer {

class CShockwaveflash1 : public ui::Control {
public:
    using FsCommandHandler = std::function<void(const std::string& command, const std::string& args)>;

    // Makes the player a child of `parent`. The handler hears FSCommand.
    [[nodiscard]] bool Create(ui::Dialog& parent, int newId);
    void SetFsCommandHandler(FsCommandHandler handler);

    // `url` is a path as the file system names it (bytes) or a URL.
    void LoadMovie(int layer, const std::string& url);
    void Play();
    // The movie's answer as XML text; empty when it gave none.
    std::string CallFunction(const std::string& request);
    // The same without the answer, once the movie runs and at every start
    // of it (see ui::PlayerPeer).
    void CallOnStart(const std::string& request);

private:
    ui::PlayerPeer* Player() const;

    FsCommandHandler fsCommand;
};

} // namespace viewer
