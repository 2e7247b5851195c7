// Text routines on the sizes they meet: paths, status texts, list lines.
#include "app/CommandLine.h"
#include "text/TextRoutines.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_TextSearchPath(benchmark::State& state) {
    std::string path(static_cast<size_t>(state.range(0)), 'a');
    path += ".txt";
    for (auto _ : state)
        benchmark::DoNotOptimize(TextSearch(1, path.c_str(), ".txt"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(path.size()));
}
BENCHMARK(BM_TextSearchPath)->Arg(16)->Arg(128)->Arg(595);

static void BM_DecimalRoundTrip(benchmark::State& state) {
    char text[12];
    int32_t v = -2147483647;
    for (auto _ : state) {
        IntToDecimal(v, text);
        benchmark::DoNotOptimize(v = DecimalToInt(text) + 7919);
    }
}
BENCHMARK(BM_DecimalRoundTrip);

static void BM_CopyAppendSlice(benchmark::State& state) {
    char buffer[600];
    for (auto _ : state) {
        TextCopy("C:\\Documents and Settings\\user\\Application Data\\Tavish\\Korvid\\", buffer);
        TextAppend(buffer, "Korvid.Dat");
        TextSlice(buffer, buffer, 0, 29);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_CopyAppendSlice);

static void BM_SplitCommandLine(benchmark::State& state) {
    std::string line = "\"C:\\Program Files\\Korvid\\Korvid.exe\" \"C:\\My Documents\\notes.txt\"";
    char out[600];
    for (auto _ : state)
        benchmark::DoNotOptimize(SplitCommandLineArg(line.c_str(), 1, out));
}
BENCHMARK(BM_SplitCommandLine);
