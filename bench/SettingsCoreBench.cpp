// Settings load and save as start-up and every save occasion run them.
#include "settings/SettingsCore.h"

#include <benchmark/benchmark.h>

#include <vector>

static MachineDefaults Machine() {
    MachineDefaults m;
    m.programFolder = "C:\\Korvid\\";
    m.programFilesDir = "C:\\Program Files";
    return m;
}

static void BM_RestoreDefaults(benchmark::State& state) {
    static SettingsRecord r;
    for (auto _ : state) {
        RestoreDefaultsInto(r, Machine());
        benchmark::DoNotOptimize(&r);
    }
}
BENCHMARK(BM_RestoreDefaults);

static void BM_LoadAndWriteImage(benchmark::State& state) {
    static SettingsRecord r;
    RestoreDefaultsInto(r, Machine());
    std::vector<uint8_t> image(kSettingsFileSize);
    WriteSettingsImage(r, image.data());
    if (state.range(0) == 160)
        image[7] = '0', image[6] = '6';
    for (auto _ : state) {
        LoadSettingsFromImage(r, image.data(), image.size(), Machine());
        WriteSettingsImage(r, image.data());
        benchmark::DoNotOptimize(image.data());
    }
}
BENCHMARK(BM_LoadAndWriteImage)->Arg(170)->Arg(160);
