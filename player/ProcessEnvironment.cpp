#include "player/ProcessEnvironment.h"

#include "player/EngineSandbox.h"

#include <gio/gio.h>

#include <cstdlib>

namespace player {

namespace {

constexpr const char* kEngineSetting = "JSC_useOMGJIT";
// Whether the engine setting is ours, not the user's: the reader's browser,
// which a link starts, must not inherit it.
bool engineSettingIsOurs = false;

} // namespace

void PrepareProcess() {
    // The engine's optimising tier compiles Ruffle's hottest start-up code on
    // threads that, on a small machine, take the cores the start-up needs:
    // measured, it doubles the player's start. The web process inherits this;
    // a value set by the user is kept.
    engineSettingIsOurs = std::getenv(kEngineSetting) == nullptr;
    setenv(kEngineSetting, "false", 0);
    // Before GTK and the engine read the environment it may change.
    (void)UseEngineSandbox();
}

void GiveBackReadersEnvironment(GAppLaunchContext* launch) {
    if (engineSettingIsOurs) {
        g_app_launch_context_unsetenv(launch, kEngineSetting);
    }
    GiveBackReadersCache(launch);
}

} // namespace player
