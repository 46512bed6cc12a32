// Answers the web view's requests on the player's URI scheme: the player's
// own files, built in or from the development folder, and the content
// folder's files, small ones from memory, large ones streamed, taking turns
// when many are asked for at once.
#pragma once

#include "player/PlayerFiles.h"

#include <memory>
#include <optional>
#include <string>

typedef struct _WebKitURISchemeRequest WebKitURISchemeRequest;

namespace player {

struct FilesOnTheirWay;
struct UnpackedFiles;

class PlayerServer {
public:
    // `playerFolder` and `content` as for PlayerRoutes. With the built-in
    // files, Ruffle's WebAssembly is unpacked at once on a worker thread, so
    // that it is ready by the time the page asks for it.
    PlayerServer(std::string playerFolder, std::optional<package::ContentFiles> content);

    PlayerRoutes& Routes() { return routes; }
    void Serve(WebKitURISchemeRequest* request);

private:
    PlayerRoutes routes;
    // The content files whose responses are on their way, which bounds the
    // memory this player's responses hold.
    std::shared_ptr<FilesOnTheirWay> onTheirWay;
    // The built-in files unpacked ahead of the page's requests.
    std::shared_ptr<UnpackedFiles> unpacked;
};

} // namespace player
