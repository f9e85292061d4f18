// The whole plug-in as a host runs it: the default song (seed 126, 64 bars at
// 126 BPM, about 122 s of audio) played from bar 0 through the processor's
// processBlock, at a sample rate and host block size. Counter x_realtime is
// audio seconds per CPU second of this thread: 100 means one core plays a
// hundred such songs at once, or 1 % of a core for one. The benchmark's own
// time is the same CPU time (manual time), so it reads as the cost of the
// whole song.

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include "lanes/OfflineHost.h"

#include <ctime>
#include <memory>

namespace
{
double threadCpuSeconds() noexcept
{
    timespec t {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
    return (double) t.tv_sec + 1.0e-9 * (double) t.tv_nsec;
}

void defaultSong (benchmark::State& state)
{
    static juce::ScopedJuceInitialiser_GUI framework;
    const double rate = (double) state.range (0);
    const int block = (int) state.range (1);
    constexpr double kBars = 64.0, kTempo = 126.0;
    const auto samples = (std::int64_t) std::ceil (kBars * 4.0 * 60.0 / kTempo * rate - 1.0e-6);

    double audioSeconds = 0.0, cpuSeconds = 0.0;
    for (auto _ : state)
    {
        // A fresh processor each time, so every pass plays the same song from
        // its first bar; building it is not timed.
        auto host = std::make_unique<grum::OfflineHost> (rate, block);
        host->collectAudio = host->collectEvents = host->collectMidi = false;
        host->set ("seed", 126.0f);
        host->playHead().setTempo (kTempo);
        host->playHead().seek (0.0);
        host->playHead().setPlaying (true);

        const double t0 = threadCpuSeconds();
        host->render (samples);
        const double spent = threadCpuSeconds() - t0;

        state.SetIterationTime (spent);
        cpuSeconds += spent;
        audioSeconds += (double) samples / rate;
    }
    state.counters["x_realtime"] = cpuSeconds > 0.0 ? audioSeconds / cpuSeconds : 0.0;
    state.counters["audio_s"] = audioSeconds / (double) state.iterations();
}
} // namespace

BENCHMARK (defaultSong)
    ->ArgNames ({ "rate", "block" })
    ->Args ({ 48000, 512 })
    ->Args ({ 48000, 64 })
    ->Args ({ 96000, 512 })
    ->UseManualTime()
    ->Iterations (3)
    ->Unit (benchmark::kMillisecond);
