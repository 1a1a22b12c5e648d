// Throughput of decoding a large Base64 answer laid out in lines of 76 characters.
#include "support/Base64.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr size_t kTextSize = 64u << 20;

// 64 MiB of Base64 text of pseudo-random bytes, "\n" after every 76 characters.
const std::string& TheText() {
    static const std::string text = [] {
        static const char kAlphabet[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string t;
        t.reserve(kTextSize);
        uint64_t x = 88172645463325252ull;
        size_t column = 0;
        while (t.size() + 1 < kTextSize) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            t += kAlphabet[x & 63];
            if (++column == 76) {
                t += '\n';
                column = 0;
            }
        }
        // End on a whole group, as an encoder would.
        while (t.size() % 77 % 4 != 0) t.pop_back();
        return t;
    }();
    return text;
}

void BM_Base64Decode(benchmark::State& state) {
    const std::string& text = TheText();
    std::vector<unsigned char> out(merivane::Base64Capacity(text.size()));
    size_t produced = 0;
    for (auto _ : state) {
        produced = merivane::Base64Decode(text, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
    state.counters["bytes_out"] = static_cast<double>(produced);
}
BENCHMARK(BM_Base64Decode)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
