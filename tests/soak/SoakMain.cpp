// The soak without a window: batches run on a worker thread as the command
// line runs them. Run it long and under AddressSanitizer with scripts/soak.sh.
#include "app/BatchExecutor.h"
#include "soak/SoakRun.h"

int main(int argc, char** argv) {
    using namespace merivane;
    return soak::Run(soak::OptionsFromArguments(argc, argv), [](Transport& transport) {
        return std::make_unique<HeadlessExecutor>(transport);
    });
}
