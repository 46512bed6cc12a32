// The call texts the host sends to the movie through the player.
#pragma once

#include <string>
#include <string_view>

namespace viewer {

inline constexpr char kInvokeTurnNext[] =
    "<invoke name=\"turn_next\"  returntype=\"xml\"><arguments></arguments></invoke>";
inline constexpr char kInvokeTurnPrevious[] =
    "<invoke name=\"turn_prv\"  returntype=\"xml\"><arguments></arguments></invoke>";

// "bg": the player's offset (each number after a minus sign) and the
// desktop's right and bottom edges.
std::string BackgroundMessage(int playerLeft, int playerTop, int desktopRight, int desktopBottom);

// "hdgetreg" with the reply of a host command, escaped as XML text so that the
// movie receives exactly the reply.
std::string ReplyMessage(std::string_view reply);

} // namespace viewer
