// merivane-cli: the tool's device operations from the command line, for scripts and for
// many devices at once.

#include <libxml/xmlversion.h>

#include <csignal>
#include <string>
#include <vector>

#include "cli/CliProgram.h"

int main(int argc, char* argv[]) {
    // A device that vanishes mid-write shows up as a failed write, not as the end of the program.
    std::signal(SIGPIPE, SIG_IGN);
    LIBXML_TEST_VERSION
    return merivane::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
