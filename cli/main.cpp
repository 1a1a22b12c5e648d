// merivane-cli: the tool's device operations from the command line, for scripts and for
// many devices at once.

#include <libxml/xmlversion.h>

#include <string>
#include <vector>

#include "cli/CliProgram.h"
#include "cli/ConsoleInterrupts.h"

int main(int argc, char* argv[]) {
    merivane::cli::HandleInterrupts();
    LIBXML_TEST_VERSION
    return merivane::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
