// File Info's counting against wc on the same 100 MB file, in one run:
// the count reads the file through one 1,000,050-byte buffer in pieces of
// 1,000,000 bytes, as the dialog does; wc counts lines, words and bytes
// (in the C locale and in the locale it is started in).
#include "tools/RunInfoCore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* TestFile() {
    static std::string path;
    if (path.empty()) {
        path = "/tmp/korvid-bench-100mb.txt";
        FILE* file = fopen(path.c_str(), "wb");
        // Prose-like lines: letters, blanks, digits, stops and breaks.
        const std::string line =
            "The quick brown fox, 42 times. Jumps over the lazy dog (again).\r\n";
        for (size_t written = 0; written < 100u << 20; written += line.size())
            fwrite(line.data(), 1, line.size(), file);
        fclose(file);
    }
    return path.c_str();
}

void BM_FileInfoCount100MB(benchmark::State& state) {
    const char* path = TestFile();
    std::vector<unsigned char> buffer(1000050);
    for (auto _ : state) {
        FILE* file = fopen(path, "rb");
        FileStatistics counts;
        size_t got = 0, total = 0;
        while ((got = fread(buffer.data(), 1, 1000000, file)) > 0) {
            CountStatistics(counts, buffer.data(), got);
            total += got;
        }
        fclose(file);
        benchmark::DoNotOptimize(counts.words);
        state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(total));
    }
}
BENCHMARK(BM_FileInfoCount100MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void RunWc(benchmark::State& state, const std::string& environment) {
    const std::string command = environment + " wc " + TestFile() + " > /dev/null";
    for (auto _ : state) {
        if (system(command.c_str()) != 0)
            state.SkipWithError("wc failed");
        state.SetBytesProcessed(state.bytes_processed() + (100 << 20));
    }
}

void BM_WcCLocale100MB(benchmark::State& state) { RunWc(state, "LC_ALL=C"); }
BENCHMARK(BM_WcCLocale100MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WcUtf8Locale100MB(benchmark::State& state) { RunWc(state, "LC_ALL=C.UTF-8"); }
BENCHMARK(BM_WcUtf8Locale100MB)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
