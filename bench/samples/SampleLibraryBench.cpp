// Start-up cost of the sample library: building the index and decoding the
// default kit, as a processor's construction does in a fresh process; and the
// memory the whole library takes once every sample is decoded.

#include "samples/Kits.h"
#include "samples/SampleLibrary.h"

#include <benchmark/benchmark.h>

namespace
{
std::vector<grum::resources::Resource> embedded()
{
    return { grum::resources::kAll, grum::resources::kAll + grum::resources::kCount };
}

void BM_IndexAndDecodeDefaultKit (benchmark::State& state)
{
    const int kit = std::max (0, grum::wantedKit (grum::KitChoice {}));
    for (auto _ : state)
    {
        SampleLibrary library (embedded());   // a fresh library, as in a new process
        const grum::Kit& k = grum::kKits[kit];
        for (const char* name : { k.kick, k.hatClosed, k.hatOpen, k.click, k.perc, k.percAlt, k.bas, k.stab })
            benchmark::DoNotOptimize (library.load (name));
    }
}
BENCHMARK (BM_IndexAndDecodeDefaultKit)->Unit (benchmark::kMillisecond)->Iterations (10);

void BM_DecodeEverySample (benchmark::State& state)
{
    size_t bytes = 0;
    for (auto _ : state)
    {
        SampleLibrary library (embedded());
        for (const auto& name : library.names())
            benchmark::DoNotOptimize (library.load (name));
        bytes = library.decodedBytes();
    }
    state.counters["decoded_MB"] = (double) bytes / (1024.0 * 1024.0);
}
BENCHMARK (BM_DecodeEverySample)->Unit (benchmark::kMillisecond)->Iterations (2);
} // namespace
