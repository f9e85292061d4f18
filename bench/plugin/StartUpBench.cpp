// Start-up: what constructing the processor costs the first time in a process
// — indexing the embedded library, decoding the kit the default song plays,
// and the processor itself (parameters, engines, rack). Each iteration builds
// a fresh library index and decodes the kit through it, so every iteration
// pays the cold cost, then constructs a processor (whose own look-ups then hit
// the process-wide cache). Goal: under 150 ms.

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include "PluginProcessor.h"
#include "samples/Kits.h"
#include "samples/SampleLibrary.h"

#include <memory>
#include <vector>

namespace
{
void processorStartUp (benchmark::State& state)
{
    static juce::ScopedJuceInitialiser_GUI framework;
    const int kit = GrumProcessor().kitInForceIndex();     // the default song's kit
    const grum::Kit& k = grum::kKits[kit];
    const char* const names[] = { k.kick, k.hatClosed, k.hatOpen, k.click, k.perc, k.percAlt, k.bas, k.stab };
    const std::vector<grum::resources::Resource> table (grum::resources::kAll, grum::resources::kAll + grum::resources::kCount);

    for (auto _ : state)
    {
        SampleLibrary fresh (table);                        // the index
        for (const char* name : names)
            benchmark::DoNotOptimize (fresh.load (name));   // the kit, decoded
        auto processor = std::make_unique<GrumProcessor>();
        benchmark::DoNotOptimize (processor.get());
    }
    state.SetLabel (k.name);
}
} // namespace

BENCHMARK (processorStartUp)->Unit (benchmark::kMillisecond)->MinTime (2.0);
