// A real window on the display with the probe movie in the player, for the
// gui tests: it records the movie's fscommand calls and runs a test's steps
// once the movie has started.
#pragma once

#include "ui/Dialog.h"
#include "viewer/CShockwaveflash1.h"

#include <functional>
#include <string>
#include <vector>

class ProbeWindow : public ui::Dialog {
public:
    using Dialog::Dialog;

    // Runs inside the window's loop once the movie sent "probe_started";
    // the window closes when it returns. Results other than kIdOk mean the
    // movie never started (kResultTimeout).
    std::function<void()> steps;
    // Runs the steps as soon as the loop runs, not waiting for the movie.
    bool stepsAtStart = false;
    static constexpr int kResultTimeout = -99;

    std::string moviePath = KEST_PROBE_MOVIE;
    viewer::CShockwaveflash1 player;
    std::vector<std::string> commands; // "command|args", in arrival order

    // Runs the window's events for a while (nested), e.g. to let a frame draw.
    static void Pump(int milliseconds);
    // Real input through the X server (XTest), as a person's would arrive:
    // runs xdotool with `arguments` while the window keeps handling events.
    static bool Xdotool(const std::string& arguments);
    // Waits (nested) until `count` commands have arrived or the time is up.
    bool WaitForCommands(size_t count, int milliseconds = 5000);

protected:
    bool OnInitDialog() override;
    void OnTimer(int id) override;

private:
    void OnFsCommand(const std::string& command, const std::string& args);
};
