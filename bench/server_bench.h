#pragma once

// The engine on a private PulseAudio and PipeWire server (tests/support): the clock's
// error against the frame the sink plays, through libpulse and, for comparison, through
// SDL alone and SDL with the server's reported latency; underruns under load.
namespace server_bench {

// Prints the figures; false when a target was missed. Servers whose programs are
// missing are skipped with a note.
bool run();

}  // namespace server_bench
