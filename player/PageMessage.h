// What our page tells the host, as typed values. The page posts each message
// as an array [kind, first, second] of strings; the kinds are below.
// Display-free, so that the reading is tested on its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace player {

namespace page {

struct Ready {};           // "ready": the page ran; it takes scripts
struct RuffleReady {};     // "mark", "ruffle": Ruffle's instance exists
struct MovieLoaded {};     // "mark", "movie": the movie's data is in
struct MovieMissing {      // "mark", "missing", why: no movie at its URL
    std::string why;
};
struct RuffleFailed {      // "mark", "failed", why: Ruffle did not start it
    std::string why;
};
struct RuffleTrapped {     // "trapped", why: Ruffle's WebAssembly trapped; it is dead
    std::string why;
};
struct Milestone {         // "mark", name, detail: a page's own milestone
    std::string name;
    std::string detail;
};
struct FsCommand {         // "fscommand", command, args: the movie's command
    std::string command;
    std::string args;
};
struct Link {              // "link", uri: a link the movie followed
    std::string uri;
};

} // namespace page

using PageMessage = std::variant<page::Ready, page::RuffleReady, page::MovieLoaded, page::MovieMissing,
                                 page::RuffleFailed, page::RuffleTrapped, page::Milestone, page::FsCommand,
                                 page::Link>;

// Nothing for a kind the host does not know.
std::optional<PageMessage> ReadPageMessage(std::string_view kind, std::string_view first, std::string_view second);

// Once the movie runs, what the page says about its start is no longer
// taken: only the movie's commands and links are, and a trap, whatever else
// a script sends.
bool TakenOnceRunning(const PageMessage& message);

} // namespace player
