#pragma once

#include <functional>

namespace lyricue {

// SIGTERM (a session ending), SIGHUP (its terminal gone) and SIGINT (Ctrl+C) end the
// program as they always did, but first `beforeEnd` runs on the user-interface thread
// (such as bringing the recovery copy up to date). Installed once, for the whole run.
void runBeforeTerminationSignals(std::function<void()> beforeEnd);

}  // namespace lyricue
