#include "desktop/TerminationRequests.h"

namespace merivane {

// A window program on Windows gets no signals: the end of a session reaches it
// as window messages, which Qt answers itself.
void CloseOnTerminationRequests() {}

int TerminationSignal() { return 0; }

}  // namespace merivane
