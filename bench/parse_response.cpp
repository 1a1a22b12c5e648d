// Parsing a 10 MB answer full of Python print and device blocks.
#include <benchmark/benchmark.h>

#include <string>

#include "link/ResponseParser.h"

namespace {

const std::string kCommand =
    "at&usbinterface=20,\"<rci_request version='1.1'><query_setting/></rci_request>\"\r\n";
constexpr size_t kAnswerBytes = 10 * 1024 * 1024;

// The echo, a settings reply of about 10 MB with `pyPrints` Python print blocks spread
// evenly through it, a device block after every tenth of them, and the status line.
std::string MakeAnswer(int pyPrints) {
    std::string raw = kCommand;
    raw.reserve(kAnswerBytes + 4096);
    raw += "<rci_reply version=\"1.1\"><query_setting>";
    const size_t step = kAnswerBytes / static_cast<size_t>(pyPrints);
    int printed = 0;
    for (int group = 0; raw.size() < kAnswerBytes; ++group) {
        raw += "<serial index=\"" + std::to_string(group) +
               "\"><baud>115200</baud><parity>none</parity><flow>none</flow>"
               "<desc>port &lt;" +
               std::to_string(group) + "&gt;</desc></serial>\r\n";
        if (printed < pyPrints && raw.size() >= step * static_cast<size_t>(printed + 1)) {
            raw += "<pyPrint>sensor reading " + std::to_string(printed) + "\r\n</pyPrint>";
            if (printed % 10 == 0) raw += "<usb>link state 3</usb>";
            ++printed;
        }
    }
    raw += "</query_setting></rci_reply>\r\nOK\r\n";
    return raw;
}

void BM_ParseLargeAnswer(benchmark::State& state) {
    const std::string raw = MakeAnswer(static_cast<int>(state.range(0)));
    std::string parsed;
    for (auto _ : state) {
        const bool ok = merivane::ParseAnswer(kCommand, raw, raw.size() + 1, parsed);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(parsed.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(raw.size()));
}
BENCHMARK(BM_ParseLargeAnswer)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
