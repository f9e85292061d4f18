#include <benchmark/benchmark.h>

#include <memory>

#include "conductor/Conductor.h"

// Steady play: one stateForBar call per bar, each the bar after the last.
static void BM_ConductorSteadyPlay (benchmark::State& state)
{
    auto conductor = std::make_unique<grum::Conductor>();
    const grum::Settings settings;
    std::int64_t bar = 0;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize (conductor->stateForBar (bar++, settings).density);
        if (bar == 1 << 16)
            bar = 0;    // the replay to bar 0 costs one bar
    }
    state.SetItemsProcessed (state.iterations());
    state.counters["bars/s"] = benchmark::Counter ((double) state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK (BM_ConductorSteadyPlay);

// A seek on the audio thread: one stateForBar call after reset, which replays
// every bar from 0. A 128-sample block at 48 kHz lasts 2.7 ms.
static void BM_ConductorSeekFromStart (benchmark::State& state)
{
    auto conductor = std::make_unique<grum::Conductor>();
    const grum::Settings settings;
    conductor->stateForBar (0, settings);
    const std::int64_t target = state.range (0);
    for (auto _ : state)
    {
        conductor->reset();
        benchmark::DoNotOptimize (conductor->stateForBar (target, settings).density);
    }
    state.SetLabel ("bar " + std::to_string (target));
}
BENCHMARK (BM_ConductorSeekFromStart)->Arg (256)->Arg (1024)->Arg (4096)->Unit (benchmark::kMicrosecond);
