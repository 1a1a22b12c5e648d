#pragma once

namespace merivane::cli {

// Makes Ctrl+C and a termination request stop the program cleanly: the first
// lets the exchange in progress end and the console be given back; a second
// one ends the program at once. The per-device processes of a fleet run get
// each interruption too. A device that vanishes mid-write shows up as a failed
// write, never as the end of the program.
void HandleInterrupts();

}  // namespace merivane::cli
