#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "lanes/Sequencer.h"
#include "sound/Rack.h"

// Costs per second of audio at 48 kHz in 512-sample chunks. The counter
// "x_realtime" is seconds of audio rendered per second of CPU: the plug-in's
// goal is 100 for everything together.

namespace
{
constexpr double kRate = 48000.0;
constexpr int kChunk = 512;
constexpr int kSecond = 48000;

std::unique_ptr<grum::IEngine> makeEngine (int which)
{
    switch (which)
    {
        case 0: return std::make_unique<grum::KickEngine>();
        case 1: return std::make_unique<grum::HatEngine>();
        case 2: return std::make_unique<grum::ClickEngine>();
        case 3: return std::make_unique<grum::PercEngine>();
        case 4: return std::make_unique<grum::BassEngine>();
        case 5: return std::make_unique<grum::StabEngine>();
        default: return std::make_unique<grum::AcidEngine>();
    }
}
} // namespace

// One engine playing a sixteenth-note pattern at 126 BPM the whole second
// (its most expensive steady use), rendered between the hits as the rack does.
static void BM_Engine (benchmark::State& state)
{
    auto engine = makeEngine ((int) state.range (0));
    engine->prepare (kRate, kChunk);
    engine->setTempo (126.0);
    const int sixteenth = (int) (kRate * 60.0 / 126.0 / 4.0);
    std::vector<float> l (kChunk), r (kChunk);
    int untilHit = 0, hit = 0;
    for (auto _ : state)
    {
        for (int done = 0; done < kSecond; done += kChunk)
        {
            std::fill (l.begin(), l.end(), 0.0f);
            std::fill (r.begin(), r.end(), 0.0f);
            int c = 0;
            while (c < kChunk)
            {
                if (untilHit == 0)
                {
                    engine->trigger (36 + (hit * 7) % 24, 0.6f + 0.1f * (float) (hit % 4), hit % 3 == 0, sixteenth);
                    ++hit;
                    untilHit = sixteenth;
                }
                const int run = std::min (untilHit, kChunk - c);
                engine->render (l.data() + c, r.data() + c, run);
                c += run;
                untilHit -= run;
            }
            benchmark::DoNotOptimize (l.data());
        }
    }
    state.SetLabel (engine->name());
    state.counters["x_realtime"] = benchmark::Counter (1.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK (BM_Engine)->DenseRange (0, 6)->Unit (benchmark::kMicrosecond);

// The rack alone on the default song's events (seed 126, AUTO), with the
// default mix: all engines, buses, echo, pump, output. arg 1: every track on
// the GRUM synth instead of the classic ones; arg 2: crush and skew on as well.
static void BM_RackDefaultSong (benchmark::State& state)
{
    auto rack = std::make_unique<grum::Rack>();
    auto seq = std::make_unique<grum::Sequencer>();
    rack->prepare (kRate);
    rack->setTempo (126.0);
    grum::MixValues mix;
    if (state.range (0) == 2)
    {
        mix.crush = 0.3f;
        mix.skew = 0.3f;
    }
    rack->setMix (mix);
    if (state.range (0) == 1)
        for (int t = 0; t < grum::kNumLanes; ++t)
            rack->setSource (t, grum::Rack::Grum);
    seq->prepare();
    const grum::Settings settings;
    const double stepsPerSample = 126.0 / 60.0 * 4.0 / kRate;

    // Schedule 32 bars once, so only the rack is measured.
    struct Chunk { int first, count; };
    std::vector<grum::Event> events;
    std::vector<Chunk> chunks;
    grum::Event buffer[grum::kMaxEvents];
    const std::int64_t total = (std::int64_t) (32 * 16 / stepsPerSample);
    for (std::int64_t at = 0; at + kChunk <= total; at += kChunk)
    {
        const grum::ChunkClock clock = seq->place ((double) at * stepsPerSample, kChunk, stepsPerSample);
        const int count = seq->schedule (clock, settings, 43, 0.0f, buffer);
        chunks.push_back ({ (int) events.size(), count });
        events.insert (events.end(), buffer, buffer + count);
    }

    std::vector<float> l (kChunk), r (kChunk);
    std::size_t next = 0;
    for (auto _ : state)
    {
        for (int done = 0; done < kSecond; done += kChunk)
        {
            const Chunk& c = chunks[next];
            rack->render (events.data() + c.first, c.count, l.data(), r.data(), kChunk);
            next = (next + 1) % chunks.size();
            benchmark::DoNotOptimize (l.data());
        }
    }
    state.SetLabel (state.range (0) == 0 ? "classic synths" : (state.range (0) == 1 ? "GRUM synth on all six" : "crush and skew on"));
    state.counters["x_realtime"] = benchmark::Counter (1.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK (BM_RackDefaultSong)->DenseRange (0, 2)->Unit (benchmark::kMicrosecond);
