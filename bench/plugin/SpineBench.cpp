// The block loop without engines — transport, scheduling, the eight lanes
// and live MIDI — per second of audio, as a fraction of the real-time budget
// (counter rt_fraction: 0.01 means one second of audio costs 10 ms of CPU).

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include "lanes/OfflineHost.h"

namespace
{
void blockLoop (benchmark::State& state)
{
    static juce::ScopedJuceInitialiser_GUI framework;
    const int block = (int) state.range (0);
    const bool allLanes = state.range (1) != 0;
    constexpr double kRate = 48000.0;

    grum::OfflineHost host (kRate, block);
    host.collectAudio = host.collectEvents = host.collectMidi = false;
    if (allLanes)
    {
        // Every lane busy: sixteenth rates, every track reached, stutters included.
        const char* targets[8] = { "3", "1", "6", "7", "2", "6", "4", "11" };
        for (int n = 1; n <= 8; ++n)
        {
            const auto lane = "b" + juce::String (n);
            host.set (lane + "mal", juce::String (targets[n - 1]).getFloatValue());
            host.set (lane + "spar", 6.0f);
            host.set (lane + "takt", 0.0f);
            host.set (lane + "slag", 5.0f);
        }
    }
    host.playHead().seek (4.0 * 32);        // a full groove, past the intro
    host.render ((std::int64_t) kRate);      // warm up

    const double before = host.processSeconds();
    std::int64_t seconds = 0;
    for (auto _ : state)
    {
        host.render ((std::int64_t) kRate);
        ++seconds;
    }
    state.counters["rt_fraction"] = (host.processSeconds() - before) / (double) seconds;
    state.SetLabel (allLanes ? "8 busy lanes" : "default lanes");
}
} // namespace

BENCHMARK (blockLoop)->Args ({ 512, 0 })->Args ({ 64, 0 })->Args ({ 512, 1 })->Args ({ 32, 1 })->Unit (benchmark::kMillisecond);
