#pragma once

namespace merivane {

// Ends the desktop program as its user would when the system asks it to stop
// (a logout, `kill`, Ctrl+C in the terminal it was started from): the work
// with the device in progress is let finish, then every dialog and the sheet
// are closed as by Cancel, so main returns and cleans up after itself (the
// demo device's folder among it). A second request ends the program at once.
// Call once, after the QApplication exists.
void CloseOnTerminationRequests();

// The signal that asked the program to stop, 0 when none did.
int TerminationSignal();

// One step of the closing: cancels the topmost dialog or closes the windows.
// A progress dialog whose worker is exchanging bytes ignores it, so this is
// repeated until the program has left its event loops.
void CloseTopmostWindow();

}  // namespace merivane
