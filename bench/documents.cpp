// Loading and serialising a settings document of 5,000 elements.
#include <benchmark/benchmark.h>

#include <string>

#include "settings/Bindings.h"
#include "settings/DocumentSerializer.h"
#include "settings/DocumentStore.h"

namespace {

constexpr int kGroups = 500;  // each group: itself and nine settings = 5,000 elements

// A settings answer as the loaders get it: the reply document, its echo and status line
// already removed by the answer parser.
std::string MakeSettingsAnswer() {
    std::string text = "<rci_reply version=\"1.1\"><query_setting>";
    for (int g = 0; g < kGroups; ++g) {
        const std::string n = std::to_string(g);
        text += "<serial index=\"" + n +
                "\"><baud>115200</baud><parity>none</parity>"
                "<databits>8</databits><stopbits>1</stopbits><flow>none</flow>"
                "<state>on</state><port>" +
                std::to_string(4000 + g) +
                "</port>"
                "<desc>port &lt;" +
                n +
                "&gt; &amp; more</desc><apn>internet.example</apn>"
                "</serial>\n";
    }
    text += "</query_setting></rci_reply>";
    return text;
}

// Loads the answer, or marks the benchmark as failed when it gives no settings.
bool Load(merivane::DocumentStore& store, benchmark::State& state) {
    store.LoadSettingsDocument(MakeSettingsAnswer());
    if (store.SettingsNode() != nullptr) return true;
    state.SkipWithError("settings answer did not load");
    return false;
}

void BM_LoadSettingsDocument(benchmark::State& state) {
    const std::string answer = MakeSettingsAnswer();
    merivane::DocumentStore store;
    if (!Load(store, state)) return;
    for (auto _ : state) {
        store.LoadSettingsDocument(answer);
        benchmark::DoNotOptimize(store.SettingsNode());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(answer.size()));
}
BENCHMARK(BM_LoadSettingsDocument)->Unit(benchmark::kMicrosecond);

void BM_SerializeForSending(benchmark::State& state) {
    merivane::DocumentStore store;
    if (!Load(store, state)) return;
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = merivane::SerializeForSending(store.SettingsDocument());
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SerializeForSending)->Unit(benchmark::kMicrosecond);

// A page's table of 20 records read from the far end of the document, where every
// path walks past almost all groups.
void BM_ReadBindingsLastGroup(benchmark::State& state) {
    merivane::DocumentStore store;
    if (!Load(store, state)) return;
    const std::string group = "serial&index=" + std::to_string(kGroups - 1) + "/";
    std::string text[10];
    int number[10] = {};
    merivane::BindingTable table;
    const char* leaves[] = {"baud",  "parity", "databits", "stopbits", "flow",
                            "state", "port",   "desc",     "apn",      "missing"};
    for (int i = 0; i < 10; ++i) {
        table.push_back(merivane::BindText(group + leaves[i], &text[i], ""));
        table.push_back(merivane::BindInt(group + leaves[i], &number[i], ""));
    }
    for (auto _ : state) {
        merivane::ReadBindings(nullptr, table, store.SettingsNode());
        benchmark::DoNotOptimize(number[0]);
    }
}
BENCHMARK(BM_ReadBindingsLastGroup)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
