#pragma once

namespace merivane {

// The user asked the whole program to stop (Ctrl+C, a termination signal).
// Set from a signal handler: it only stores a lock-free atomic flag. Device
// waits end at once when it is set and batches stop before their next command;
// an upload that has announced its bytes still sends them.
void RequestInterruption();
bool InterruptionRequested();
// Back to the uninterrupted state (tests).
void ClearInterruption();

}  // namespace merivane
