// The web engine's sandbox: its web processes run in bubblewrap and see none
// of the reader's files (every file a movie sees comes from the viewer through
// the player's scheme). Where bubblewrap cannot make it (no user namespaces,
// bubblewrap missing or refused) the movie plays without it.
#pragma once

typedef struct _GAppLaunchContext GAppLaunchContext;

namespace player {

// Decides, once per process, whether web processes are sandboxed, says on
// standard error why not when the sandbox cannot start, and prepares the
// process for it. Called before GTK starts (see PrepareProcess); later calls
// return the first answer.
bool UseEngineSandbox();

// Programs the viewer starts for the reader (a link's browser) get the
// reader's own cache folder back.
void GiveBackReadersCache(GAppLaunchContext* launch);

} // namespace player
