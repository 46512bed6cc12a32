// Answers the web view's requests on the player's URI scheme: the player's
// own files, built in or from the development folder, and the content
// folder's files, small ones from memory, large ones streamed, taking turns
// when many are asked for at once.
#pragma once

#include "player/PlayerFiles.h"

#include <optional>
#include <string>

typedef struct _WebKitURISchemeRequest WebKitURISchemeRequest;

namespace player {

class PlayerServer {
public:
    // `playerFolder` and `content` as for PlayerRoutes. With the built-in
    // files, Ruffle's WebAssembly is unpacked at once on a worker thread, so
    // that it is ready by the time the page asks for it.
    PlayerServer(std::string playerFolder, std::optional<package::ContentFiles> content);

    PlayerRoutes& Routes() { return routes; }
    void Serve(WebKitURISchemeRequest* request) const;

private:
    PlayerRoutes routes;
};

} // namespace player
