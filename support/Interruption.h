#pragma once

namespace merivane {

// The user asked the whole program to stop (Ctrl+C, a termination signal).
// Set from a signal handler: it only stores a lock-free atomic flag. Device
// waits end at once when it is set and batches stop before their next command;
// an upload that has announced its bytes still sends them.
// `signal` is the number of the signal that asked (0: none named).
void RequestInterruption(int signal = 0);
bool InterruptionRequested();
// The signal that asked for the interruption; 0 when none was named.
int InterruptionSignal();
// Back to the uninterrupted state (tests).
void ClearInterruption();

}  // namespace merivane
