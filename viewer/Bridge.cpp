// The movie's side of the command channel: its fscommand calls, dispatched
// by exact name, with replies sent back as "hdgetreg" calls.
#include "platform/Text.h"
#include "viewer/InvokeMessages.h"
#include "viewer/ViewerDialog.h"

#include <cstdio>
#include <string_view>
#include <vector>

namespace viewer {

void ViewerDialog::ReplyToMovie(const char* reply) { player.CallFunction(ReplyMessage(reply)); }

void ViewerDialog::OnFSCommand(const std::string& command, const std::string& args) {
    // A closing window answers nothing more, however much the movie sends.
    if (IsEnding()) {
        return;
    }
    // The host commands may cut their argument text in place.
    std::vector<char> text(args.begin(), args.end());
    text.push_back('\0');

    if (command == "close_window" || command == "Quit") {
        OnOK();
    } else if (command == "min_window") {
        ShowWindow(ui::kSwMinimize);
    } else if (command == "max_window") {
        ToggleMaximize();
    } else if (command == "max_scene" || command == "fullscreen") {
        // accepted; nothing to do
    } else if (command == "writereg") {
        ReplyToMovie(WriteRegistryValue(text.data()));
    } else if (command == "readreg") {
        ReplyToMovie(ReadRegistryValue(text.data()));
    } else if (command == "CopyFile") {
        ReplyToMovie(CopyOneFile(text.data()));
    } else {
        std::printf("command: %s | args: %s\n",
                    platform::PrintableText(command, platform::kLoggedTextBytes).c_str(),
                    platform::PrintableText(args, platform::kLoggedTextBytes).c_str());
        std::fflush(stdout);
    }
}

} // namespace viewer
