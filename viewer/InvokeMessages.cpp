#include "viewer/InvokeMessages.h"

#include <cstdio>

namespace viewer {

std::string BackgroundMessage(int playerLeft, int playerTop, int desktopRight, int desktopBottom) {
    char message[1024];
    std::snprintf(message, sizeof message,
                  "<invoke name=\"bg\"  returntype=\"xml\"><arguments><string>-%d</string>"
                  "<string>-%d</string><string>%d</string><string>%d</string></arguments></invoke>",
                  playerLeft, playerTop, desktopRight, desktopBottom);
    return message;
}

std::string ReplyMessage(std::string_view reply) {
    std::string message = "<invoke name=\"hdgetreg\" returntype=\"xml\"><arguments><string>";
    for (const char c : reply) {
        switch (c) {
        case '&': message += "&amp;"; break;
        case '<': message += "&lt;"; break;
        case '>': message += "&gt;"; break;
        default: message += c; break;
        }
    }
    message += "</string></arguments></invoke>";
    return message;
}

} // namespace viewer
