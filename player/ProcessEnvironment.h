// What the web processes inherit from this process, and what the programs
// started for the reader (a link's browser) get back of the reader's own.
#pragma once

typedef struct _GAppLaunchContext GAppLaunchContext;

namespace player {

// Sets what the web processes inherit from this process; called once at
// start-up, before the first player is made.
void PrepareProcess();

// Takes out of `launch` what PrepareProcess set for the web processes.
void GiveBackReadersEnvironment(GAppLaunchContext* launch);

} // namespace player
