// The application object: start-up, the choice between viewer mode and packer
// mode, and what viewer mode hands to the window.
#pragma once

#include "markup/MarkupDoc.h"

#include <string>

inline constexpr size_t kContentFolderSize = 1024;

class ViewerApp {
public:
    // Joins the arguments into the command-line text and runs InitInstance.
    // Returns the process's exit status.
    int Run(int argc, char** argv);

    // The whole start-up. Always returns false: no message loop of the
    // application's own ever runs.
    bool InitInstance();

    // The folder holding the magazine's files, without trailing separator.
    char contentFolder[kContentFolderSize] = {};
    // The magazine's manifest, kest.xml.
    MarkupDoc manifest;

private:
    void RunPackerMode();
    void RunViewerMode();
    // Runs the window modally over the content folder; false without a display.
    bool RunWindow();

    std::string commandLine;
    std::string executablePath;
    int exitStatus = 0;
};

extern ViewerApp theApp;
