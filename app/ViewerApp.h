// The application object: start-up, the choice between viewer mode and packer
// mode, and what viewer mode hands to the window.
#pragma once

#include <string>

class ViewerApp {
public:
    // Joins the arguments into the command-line text and runs InitInstance.
    // Returns the process's exit status.
    int Run(int argc, char** argv);

    // The whole start-up. Always returns false: no message loop of the
    // application's own ever runs.
    bool InitInstance();

private:
    void RunPackerMode();
    void RunViewerMode();

    std::string commandLine;
    std::string executablePath;
    int exitStatus = 0;
};

extern ViewerApp theApp;
