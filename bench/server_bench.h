#pragma once

namespace lyricue {

// The engine on a private PulseAudio and PipeWire server (tests/support): the clock's
// error against the frame the sink plays, as the server's own reports of its monitor
// place it, and underruns under load.
namespace server_bench {

// Prints the figures; false when a target was missed. Servers whose programs are
// missing are skipped with a note. `loadSeconds`: how long to play with both cores busy;
// `only`: the name of the one server to measure, or nullptr for both.
bool run(double loadSeconds = 60, const char* only = nullptr);

}  // namespace server_bench

}  // namespace lyricue
