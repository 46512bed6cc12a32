// The movie player as a child control: what a backend offers the player
// wrapper. Texts are UTF-8, except LoadMovie's url, which may be a local path
// and is taken as the file system's bytes.
#pragma once

#include "ui/WindowSystem.h"

#include <functional>
#include <string>

namespace ui {

// Receives the movie's fscommand calls, in the order the movie made them, on
// the user-interface thread. A handler may call into the player again.
using FsCommandHandler = std::function<void(const std::string& command, const std::string& args)>;

class PlayerPeer : public ControlPeer {
public:
    // Replaces the movie of `layer` (only 0 is used) with the one at `url`:
    // an absolute path, a path relative to the current folder, or a URL.
    virtual void LoadMovie(int layer, const std::string& url) = 0;
    virtual void Play() = 0;
    // Calls the movie's callback named in the invoke message and returns its
    // answer as XML text, or an empty text when there is no such callback or
    // no answer came in time. Blocks the caller; events keep running.
    virtual std::string CallFunction(const std::string& request) = 0;
    // Calls the movie's callback as CallFunction does, without waiting for
    // its answer: once the movie runs, however long its start takes, and
    // again whenever the player starts the movie afresh. For what a movie is
    // told once about where it runs, which a movie started again needs again.
    virtual void CallOnStart(const std::string& request) = 0;
    virtual void SetFsCommandHandler(FsCommandHandler handler) = 0;
};

} // namespace ui
