#include "player/EngineSandbox.h"

#include "player/SandboxLeftovers.h"

#include <gio/gio.h>

#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace player {

namespace {

// Where the engine runs bubblewrap and its D-Bus proxy from.
constexpr char kBubblewrap[] = "/usr/bin/bwrap";
constexpr char kBusProxy[] = "/usr/bin/xdg-dbus-proxy";

// Why bubblewrap cannot make a sandbox here, from a trial run with the
// namespaces the engine asks for; nothing when it can. Found out before the
// engine tries: the engine aborts the viewer when its sandbox fails to start.
std::optional<std::string> SandboxProblem() {
    if (!g_file_test(kBusProxy, G_FILE_TEST_IS_EXECUTABLE)) {
        return std::string(kBusProxy) + " is missing";
    }
    const gchar* argv[] = {kBubblewrap, "--unshare-all", "--die-with-parent", "--ro-bind", "/", "/",
                           "/usr/bin/true", nullptr};
    gchar* errors = nullptr;
    gint status = 0;
    GError* error = nullptr;
    if (!g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_STDOUT_TO_DEV_NULL, nullptr,
                      nullptr, nullptr, &errors, &status, &error)) {
        std::string why = error->message;
        g_error_free(error);
        return why;
    }
    std::string why = g_strstrip(errors);
    g_free(errors);
    if (g_spawn_check_wait_status(status, nullptr)) {
        return std::nullopt;
    }
    return why.empty() ? std::string(kBubblewrap) + " failed" : why;
}

// The engine lends its sandbox the user's whole cache folder, read-write (for
// its bus proxies, the GPU's shader cache, GStreamer's registry); a folder of
// the viewer's own keeps the reader's other caches out of it.
std::optional<std::string>& ReadersCache() {
    static std::optional<std::string> cache;
    return cache;
}

void UseOwnCacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache) {
        ReadersCache() = cache;
    }
    const std::string base =
        cache && g_path_is_absolute(cache) ? cache : std::string(g_get_home_dir()) + "/.cache";
    const std::string own = base + "/kest";
    if (g_mkdir_with_parents(own.c_str(), 0700) == 0) {
        setenv("XDG_CACHE_HOME", own.c_str(), 1);
        if (!std::getenv("XDG_RUNTIME_DIR")) {
            RemoveEndedSandboxInfo(own + "/.flatpak");
        }
    }
}

bool Decide() {
    // The engine's own switch: the user turned the sandbox off.
    if (std::getenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS")) {
        return false;
    }
    if (const auto problem = SandboxProblem()) {
        std::fprintf(stderr, "kest: the movie plays without the web engine's sandbox: %s\n",
                     problem->c_str());
        return false;
    }
    UseOwnCacheFolder();
    return true;
}

} // namespace

void GiveBackReadersCache(GAppLaunchContext* launch) {
    if (!UseEngineSandbox()) {
        return;
    }
    if (ReadersCache()) {
        g_app_launch_context_setenv(launch, "XDG_CACHE_HOME", ReadersCache()->c_str());
    } else {
        g_app_launch_context_unsetenv(launch, "XDG_CACHE_HOME");
    }
}

bool UseEngineSandbox() {
    static const bool use = Decide();
    return use;
}

} // namespace player
