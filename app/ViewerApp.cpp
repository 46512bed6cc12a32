#include "app/ViewerApp.h"

#include "platform/FileSystem.h"


ViewerApp theApp;

namespace {

// The command line as one text, as the platform would hand it over: the
// arguments joined by blanks, each one that holds a blank (or is empty)
// between quotation marks, which the packer removes again.
std::string JoinArguments(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (i > 1) {
            text += ' ';
        }
        if (argument.empty() || argument.find(' ') != std::string::npos) {
            text += '"' + argument + '"';
        } else {
            text += argument;
        }
    }
    return text;
}

} // namespace

int ViewerApp::Run(int argc, char** argv) {
    commandLine = JoinArguments(argc, argv);
    InitInstance();
    return exitStatus;
}

bool ViewerApp::InitInstance() {
    executablePath = platform::ExecutablePath();
    if (commandLine.empty()) {
        RunViewerMode();
    } else {
        RunPackerMode();
    }
    return false;
}
