// Whole exchanges against the simulated device over a pseudo-terminal, in
// real time: identification, a 1 MB upload, and the memory a batch of short
// answers needs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/BatchExecutor.h"
#include "app/Identification.h"
#include "app/Product.h"
#include "link/BatchRunner.h"
#include "link/Transport.h"
#include "settings/DocumentStore.h"
#include "sim/SimulatedDevice.h"

namespace merivane {
namespace {

struct Bench {
    std::string dir;
    std::unique_ptr<sim::SimulatedDevice> device;
    Transport transport;

    explicit Bench(sim::Product product) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "merivane-bench-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        sim::DeviceOptions options;
        options.linkPath = dir + "/ttyDEVICE";
        options.product = product;
        options.console = false;
        device = std::make_unique<sim::SimulatedDevice>(options);
        device->Start();
        transport.OpenNamedPort(options.linkPath);
    }
    ~Bench() {
        device.reset();
        std::filesystem::remove_all(dir);
    }
};

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The specified flushes set a floor: every command waits for 100 ms of
// silence before it is sent, and identification flushes once more first.
void BM_IdentifyGateway(benchmark::State& state) {
    Bench bench(sim::Product::Brivel);
    HeadlessExecutor executor(bench.transport);
    DeviceIdentity identity;
    DocumentStore documents;
    for (auto _ : state) {
        if (!IdentifyDevice(bench.transport, executor, kBrivel, identity, documents))
            state.SkipWithError("failed");
    }
    state.counters["floor_s"] = (IdentificationCommands(kBrivel).size() + 1) * 0.1;
}
BENCHMARK(BM_IdentifyGateway)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Each 1024-byte chunk is followed by a 50 ms pause: 1 MB cannot go faster
// than 1024 x 50 ms plus the handshake's 2 s wait.
void BM_Upload1MB(benchmark::State& state) {
    Bench bench(sim::Product::Brivel);
    const std::string path = bench.dir + "/payload.py";
    {
        std::ofstream out(path, std::ios::binary);
        std::string block(1024, 'x');
        for (int i = 0; i < 1024; ++i) out << block;
    }
    HeadlessExecutor executor(bench.transport);
    for (auto _ : state) executor.RunUpload({path, false, false});
    state.counters["floor_s"] = 1024 * 0.05 + 2.0;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1024 * 1024);
}
BENCHMARK(BM_Upload1MB)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// A batch of short answers must not hold answer-sized buffers.
void BM_ShortAnswerBatchMemory(benchmark::State& state) {
    Bench bench(sim::Product::Brivel);
    const long before = PeakRssKb();
    for (auto _ : state) {
        CommandList list;
        for (int i = 0; i < 20; ++i) list.push_back({"AT+CSQ\r\n", "signal", 1000});
        RunBatch(bench.transport, list);
    }
    state.counters["peak_rss_growth_kb"] = static_cast<double>(PeakRssKb() - before);
}
BENCHMARK(BM_ShortAnswerBatchMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace merivane

BENCHMARK_MAIN();
