// Viewer mode: finds the magazine (the package appended to the executable,
// else the folder the executable lies in), shows it in the viewer window and
// cleans up after it.
#pragma once

#include "app/TerminationSignals.h"
#include "markup/MarkupDoc.h"

#include <string>

namespace app {

class ViewerApp {
public:
    explicit ViewerApp(std::string executable) : executablePath(std::move(executable)) {}

    // The whole of viewer mode. Always returns false: no loop of the
    // application's own runs after it.
    bool InitInstance();
    int ExitStatus() const { return exitStatus; }

    // The folder holding the magazine's files, without trailing separator.
    std::string contentFolder;
    // The magazine's manifest, kest.xml.
    MarkupDoc manifest;

private:
    // Makes `folder` the content folder and the current directory and loads
    // its manifest.
    void OpenContentFolder(const std::string& folder);
    // Runs the window modally over the content folder, closing it on
    // `signals` when given; false without a display.
    bool RunWindow(TerminationSignals* signals);

    std::string executablePath;
    int exitStatus = 0;
};

} // namespace app
