#include <benchmark/benchmark.h>

#include "conductor/Types.h"

// The trigger-chance roll derives a fresh generator for every step it plays,
// so derive() and the first draw sit on the audio path.
static void BM_DeriveAndDraw (benchmark::State& state)
{
    std::uint64_t step = 0;
    for (auto _ : state)
    {
        grum::Rng rng (grum::derive (126, step++, 991));
        benchmark::DoNotOptimize (rng.unit());
    }
    state.SetItemsProcessed (state.iterations());
}
BENCHMARK (BM_DeriveAndDraw);
