#pragma once

namespace lyricue {

// Keeps memory the program frees for its next use instead of handing it back to the
// system at once. A load, a save or an import of a long lyrics file allocates and frees
// megabytes of text; glibc returns blocks that large at once, and every next load then
// faults each page in again, which on a virtual machine took twice as long as the load
// itself. Call once at start-up; it does nothing where the C library has no such setting.
void keepFreedMemoryForReuse();

}  // namespace lyricue
