// Throughput of the file digest on a file far larger than any cache of the digest's own.
#include "support/Md5.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/FileMd5Hex.h"

namespace {

constexpr size_t kFileSize = 256u << 20;

// A 256 MiB file of pseudo-random bytes in /tmp, removed when the program ends.
class BigFile {
  public:
    BigFile() {
        char name[] = "/tmp/merivane-bench-md5-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) return;
        path_ = name;
        std::vector<unsigned char> chunk(1 << 20);
        uint64_t x = 88172645463325252ull;
        bool ok = true;
        for (size_t written = 0; ok && written < kFileSize; written += chunk.size()) {
            for (auto& b : chunk) {
                x ^= x << 13;
                x ^= x >> 7;
                x ^= x << 17;
                b = static_cast<unsigned char>(x);
            }
            ok = write(fd, chunk.data(), chunk.size()) == static_cast<ssize_t>(chunk.size());
        }
        close(fd);
        if (!ok) {
            std::remove(name);
            path_.clear();
        }
    }
    ~BigFile() {
        if (!path_.empty()) std::remove(path_.c_str());
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

BigFile& TheFile() {
    static BigFile file;
    return file;
}

void BM_FileMd5Hex(benchmark::State& state) {
    if (TheFile().Path().empty()) {
        state.SkipWithError("cannot create the test file in /tmp");
        return;
    }
    char hex[merivane::kMd5HexSize];
    for (auto _ : state) {
        if (!merivane::FileMd5Hex(TheFile().Path().c_str(), hex, sizeof hex)) {
            state.SkipWithError("digest failed");
            return;
        }
        benchmark::DoNotOptimize(hex);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileSize);
    state.SetLabel(hex);
}
BENCHMARK(BM_FileMd5Hex)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// The digest alone, from memory, without the file system.
void BM_Md5Update(benchmark::State& state) {
    std::vector<unsigned char> data(static_cast<size_t>(state.range(0)), 0x5a);
    unsigned char digest[16];
    for (auto _ : state) {
        merivane::Md5Context context;
        merivane::Md5Init(&context);
        merivane::Md5Update(&context, data.data(), static_cast<uint32_t>(data.size()));
        merivane::Md5Final(digest, &context);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Md5Update)->Arg(1024)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
