#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "AllocationCounter.h"
#include "Measure.h"
#include "lanes/Sequencer.h"
#include "sound/Rack.h"

using namespace grum;

namespace
{
constexpr double kRate = 48000.0;

// A sound source with a known output: a trigger sets a constant level.
class ConstantEngine final : public IEngine
{
public:
    const char* name() const noexcept override { return "TEST"; }
    void prepare (double, int) override { level = 0.0f; }
    void reset() noexcept override { level = 0.0f; }
    void trigger (int, float velocity, bool, int) noexcept override { level = velocity; ++triggers; }
    void setMacro (int, float) noexcept override {}
    void render (float* l, float* r, int n) noexcept override
    {
        for (int i = 0; i < n; ++i)
        {
            l[i] += level;
            r[i] += 0.5f * level;
        }
    }
    float level = 0.0f;
    int triggers = 0;
};

// Lanes with one fixed value per target and track.
class FixedLanes final : public LaneSource
{
public:
    float value[16][kNumLanes] {};
    bool active[16][kNumLanes] {};

    void set (int target, int track, float v) { value[target][track] = v; active[target][track] = true; }
    bool any (int target, int track) const noexcept override { return active[target][track]; }
    void mod (int target, int track, float* out, int n) const noexcept override
    {
        for (int i = 0; i < n; ++i)
            out[i] = active[target][track] ? value[target][track] : 0.0f;
    }
};

// Plays a test signal on chosen tracks as if a hosted instrument did.
struct SignalHost
{
    double hz[kNumLanes] {};      // 0: not hosted
    float special = 0.0f;         // written at sample 10 of the next chunk, then cleared
    int specialTrack = -1;
    std::int64_t position = 0;    // samples rendered so far
    int calls = 0;

    static bool play (void* context, int track, const Event*, int, const float*, float* l, float* r, int n)
    {
        auto& h = *static_cast<SignalHost*> (context);
        ++h.calls;
        if (h.hz[track] == 0.0)
            return false;
        for (int i = 0; i < n; ++i)
        {
            const double t = (double) (h.position + i) / kRate;
            l[i] = r[i] = h.hz[track] < 0.0 ? 0.01f : (float) (0.25 * std::sin (2.0 * 3.14159265358979 * h.hz[track] * t));
        }
        if (track == h.specialTrack)
        {
            l[10] = r[10] = h.special;
            h.specialTrack = -1;
        }
        return true;
    }
};

MixValues quietMix()
{
    MixValues m;
    for (int t = 0; t < kNumLanes; ++t)
        m.echoSend[t] = 0.0f;
    m.echoLevel = 0.0f;
    return m;
}

Event note (int lane, int offset, float velocity = 1.0f, int n = 36)
{
    Event e;
    e.lane = lane;
    e.offset = offset;
    e.note = n;
    e.velocity = velocity;
    e.length = 2400;
    return e;
}

struct Fixture : ::testing::Test
{
    std::unique_ptr<Rack> rack = std::make_unique<Rack>();
    SignalHost host;
    FixedLanes lanes;
    std::vector<float> left = std::vector<float> (512), right = std::vector<float> (512);

    void SetUp() override
    {
        rack->prepare (kRate);
        rack->setTempo (120.0);
        rack->setMix (quietMix());
    }

    void hostSignals() { rack->setInstrumentHook (&SignalHost::play, &host); }

    void chunk (const std::vector<Event>& events = {}, int n = 512)
    {
        rack->render (events.data(), (int) events.size(), left.data(), right.data(), n);
        host.position += n;
    }

    // The gain of a track's inserts for a hosted sine, steady state.
    double insertGain (int track, double hz)
    {
        host.hz[track] = hz;
        double in = 0.0, out = 0.0;
        for (int k = 0; k < 40; ++k)
        {
            chunk();
            if (k >= 20)
            {
                out += test::rms (rack->trackLeft (track), 512);
                in += 0.25 / std::sqrt (2.0);
            }
        }
        host.hz[track] = 0.0;
        return out / in;
    }
};

// The bus value behind an output sample.
double busOf (float out, float gain = 0.75f * 1.2f) { return std::atanh (out / 0.9) / (1.2 * gain); }
} // namespace

//==============================================================================
TEST_F (Fixture, KickRestartsThePumpAtItsSampleAndDucksTheRestTo05325)
{
    ConstantEngine source;
    rack->setSampleEngine (HAT, &source);
    rack->setSource (HAT, Rack::Sampler);
    MixValues m = quietMix();
    m.level[KICK] = 0.0f;   // hear only the ducked rest
    rack->setMix (m);

    chunk ({ note (HAT, 0, 0.01f, 42), note (KICK, 100) });
    EXPECT_EQ (rack->pumpEnvelope()[99], 0.0f);
    EXPECT_EQ (rack->pumpEnvelope()[100], 1.0f);
    EXPECT_NEAR (busOf (left[99]), 0.01, 1e-6);
    EXPECT_NEAR (busOf (left[100]) / busOf (left[99]), 0.5325, 1e-4);
    // And it comes back within about half a beat (0.25 s at 120 BPM): -60 dB.
    const float c = rack->pumpCoefficient();
    EXPECT_NEAR (std::log10 (std::pow ((double) c, 12000.0)) * 20.0, -59.93, 0.1);

    // A hosted KICK restarts it as well.
    host.hz[KICK] = -1.0;
    hostSignals();
    for (int k = 0; k < 20; ++k)
        chunk();
    EXPECT_LT (rack->pumpEnvelope()[300], 0.01f);
    chunk ({ note (KICK, 300) });
    EXPECT_TRUE (rack->hosted (KICK));
    EXPECT_EQ (rack->pumpEnvelope()[300], 1.0f);
}

TEST_F (Fixture, NotesStartOnTheirSampleAndOnlyTheSelectedEngineGetsThem)
{
    ConstantEngine sampler;
    rack->setSampleEngine (PERC, &sampler);
    rack->setSource (PERC, Rack::Sampler);
    chunk ({ note (PERC, 37, 0.2f, 75) });
    EXPECT_EQ (left[36], 0.0f);
    EXPECT_NEAR (busOf (left[37]), 0.2, 1e-5);
    EXPECT_EQ (sampler.triggers, 1);
    EXPECT_EQ (dynamic_cast<PercEngine&> (rack->synth (PERC)).amplitude(), 0.0f);

    // Two events of one track at one offset: both trigger, in order, before
    // the sample is rendered.
    chunk ({ note (PERC, 5, 0.3f, 75), note (PERC, 5, 0.1f, 75) });
    EXPECT_EQ (sampler.triggers, 3);
    EXPECT_NEAR (busOf (left[4]), 0.2, 1e-5);
    EXPECT_NEAR (busOf (left[5]), 0.1, 1e-5);

    // Back on the synth: the sampler's sound rings on (it is still rendered).
    rack->setSource (PERC, Rack::Synth);
    chunk ({ note (PERC, 0, 1.0f, 75) });
    EXPECT_EQ (sampler.triggers, 3);
    EXPECT_GT (dynamic_cast<PercEngine&> (rack->synth (PERC)).amplitude(), 0.0f);
    EXPECT_GT (std::fabs (busOf (left[0]) - 0.1), 0.001);

    // The GRUM synth takes them when chosen; an empty sampler slot falls back to the synth.
    rack->setSource (BAS, Rack::Grum);
    chunk ({ note (BAS, 0, 1.0f, 40) });
    EXPECT_GT (rack->grum (BAS).amplitude(), 0.0f);
    rack->setSource (STAB, Rack::Sampler);
    chunk ({ note (STAB, 0, 1.0f, 55) });
    EXPECT_GT (dynamic_cast<StabEngine&> (rack->synth (STAB)).amplitude(), 0.0f);
    EXPECT_EQ (rack->takeActivity (STAB), 1.0f);
    EXPECT_EQ (rack->takeActivity (STAB), 0.0f);
}

TEST_F (Fixture, VolumeZeroIsExactlySilentAndMonoGetsTheLeft)
{
    const std::vector<Event> busy = { note (KICK, 0), note (HAT, 10, 1.0f, 46), note (CLICK, 20, 1.0f, 37),
                                      note (PERC, 30, 1.0f, 80), note (BAS, 40, 1.0f, 40), note (STAB, 50, 1.0f, 55) };
    MixValues m;            // defaults: sends and echo on
    m.crush = 0.4f;
    m.skew = 0.3f;
    rack->setMix (m);
    Rack mono;
    mono.prepare (kRate);
    mono.setTempo (120.0);
    mono.setMix (m);
    std::vector<float> monoOut (512);
    for (int k = 0; k < 4; ++k)
    {
        chunk (k == 0 ? busy : std::vector<Event> {});
        mono.render (k == 0 ? busy.data() : nullptr, k == 0 ? 6 : 0, monoOut.data(), nullptr, 512);
        EXPECT_EQ (monoOut, left);
        EXPECT_NE (left, right);
        EXPECT_GT (test::peak (left), 0.05f);
    }

    m.masterGain = 0.0f;
    rack->setMix (m);
    for (int k = 0; k < 4; ++k)
    {
        chunk (busy);
        for (int i = 0; i < 512; ++i)
            ASSERT_TRUE (left[(size_t) i] == 0.0f && right[(size_t) i] == 0.0f) << i;
    }
}

TEST_F (Fixture, ANonFiniteSampleFromAHostedInstrumentNeverSilencesTheMix)
{
    MixValues m = quietMix();
    m.echoSend[HAT] = 0.5f;    // through the echo loop,
    m.echoLevel = 0.7f;
    rack->setMix (m);
    lanes.set (kLaneFilter, HAT, 0.2f);   // and a lane filter's memory
    rack->setLanes (&lanes);
    host.hz[HAT] = 220.0;
    hostSignals();

    for (float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity() })
    {
        host.special = bad;
        host.specialTrack = HAT;
        chunk();
        EXPECT_TRUE (test::allFinite (left) && test::allFinite (right));
        // Well past the echo time (0.375 s) the track and its echo still sound.
        for (int k = 0; k < 80; ++k)
            chunk();
        EXPECT_GT (test::rms (left, 0, 512), 0.05);
        EXPECT_TRUE (test::allFinite (left) && test::allFinite (right));
    }
}

TEST_F (Fixture, BeforePrepareAChunkIsSilentButTheHostRackHearsIt)
{
    Rack fresh;
    fresh.setInstrumentHook (&SignalHost::play, &host);
    host.hz[KICK] = 100.0;
    std::vector<float> l (512, 1.0f), r (512, 1.0f);
    const Event e = note (KICK, 0);
    fresh.render (&e, 1, l.data(), r.data(), 512);
    EXPECT_EQ (host.calls, kNumLanes);
    EXPECT_EQ (test::peak (l) + test::peak (r), 0.0f);
}

//==============================================================================
TEST_F (Fixture, LaneFilterOpensClosesAndTurnsIntoAHighPass)
{
    hostSignals();
    rack->setLanes (&lanes);
    struct Case { float p; double hz; double low, high; };
    const Case cases[] = {
        { 0.0f, 5000.0, 0.95, 1.1 },     // open: a low-pass at 19 kHz
        { 1.0f, 5000.0, 0.0, 0.02 },     // closed to 350 Hz
        { 1.0f, 200.0, 0.9, 1.9 },       // ... which still passes the bass (with its resonance)
        { -1.0f, 200.0, 0.0, 0.03 },     // a high-pass at 2500 Hz
        { -1.0f, 12000.0, 0.9, 1.1 },
        { -3.0f, 200.0, 0.0, 0.03 },     // beyond -1 is -1
    };
    for (const Case& c : cases)
    {
        lanes.set (kLaneFilter, CLICK, c.p);
        const double g = insertGain (CLICK, c.hz);
        EXPECT_GE (g, c.low) << c.p << " at " << c.hz << " Hz";
        EXPECT_LE (g, c.high) << c.p << " at " << c.hz << " Hz";
    }
}

TEST_F (Fixture, LaneCrushAndChop)
{
    hostSignals();
    rack->setLanes (&lanes);

    lanes.set (kLaneCrush, PERC, 0.0099f);   // active but below 0.01: untouched
    host.hz[PERC] = 440.0;
    chunk();
    const std::vector<float> clean (rack->trackLeft (PERC), rack->trackLeft (PERC) + 512);
    std::vector<float> expected (512);
    for (int i = 0; i < 512; ++i)
        expected[(size_t) i] = (float) (0.25 * std::sin (2.0 * 3.14159265358979 * 440.0 * i / kRate));
    EXPECT_EQ (clean, expected);

    lanes.set (kLaneCrush, PERC, -1.0f);     // full: 8 levels per unit, held 25 samples
    chunk();
    const float* crushed = rack->trackLeft (PERC);
    for (int i = 0; i < 512; ++i)
        ASSERT_NEAR (crushed[i] * 8.0f, std::round (crushed[i] * 8.0f), 1e-5) << i;

    lanes.active[kLaneCrush][PERC] = false;
    for (float chop : { 1.0f, 0.5f, -0.25f })
    {
        lanes.set (kLaneChop, PERC, chop);
        chunk();
        const double gain = test::rms (rack->trackLeft (PERC), 512) / test::rms (expected, 0, 512);
        EXPECT_NEAR (gain, 1.0 - std::fabs (chop), 0.02) << chop;
    }
}

TEST_F (Fixture, EchoThrowSendsATrackThatHasNoSendOfItsOwn)
{
    MixValues m = quietMix();
    m.echoLevel = 1.0f;
    rack->setMix (m);
    rack->setLanes (&lanes);
    hostSignals();
    // One chunk of sound on PERC, then what comes back afterwards.
    const auto tail = [this]
    {
        host.hz[PERC] = 300.0;
        chunk();
        host.hz[PERC] = 0.0;
        double sum = 0.0;
        for (int k = 0; k < 60; ++k)
        {
            chunk();
            sum += test::rms (left, 0, 512);
        }
        return sum;
    };
    EXPECT_EQ (tail(), 0.0);
    lanes.set (kLaneEchoThrow, PERC, -0.8f);
    EXPECT_GT (tail(), 0.05);
}

//==============================================================================
TEST_F (Fixture, NothingAllocatesAfterPrepare)
{
    lanes.set (kLaneFilter, HAT, -0.5f);
    lanes.set (kLaneCrush, PERC, 0.5f);
    lanes.set (kLaneChop, STAB, 0.3f);
    lanes.set (kLaneEchoThrow, CLICK, 0.4f);
    rack->setLanes (&lanes);
    MixValues m;
    m.crush = 0.5f;
    m.skew = 0.5f;
    rack->setMix (m);
    rack->setSource (BAS, Rack::Grum);
    rack->grum (BAS).setRecipe (6, 17);
    std::vector<Event> events;
    for (int t = 0; t < kNumLanes; ++t)
        for (int k = 0; k < 4; ++k)
            events.push_back (note (t, k * 128 + t * 3, 0.8f, 40 + t * 5));
    std::sort (events.begin(), events.end(), [] (const Event& a, const Event& b) { return a.offset < b.offset; });

    test::AllocationScope scope;
    for (int k = 0; k < 200; ++k)
    {
        rack->setTempo (100.0 + k);
        for (int t = 0; t < kNumLanes; ++t)
            for (int mac = 0; mac < 4; ++mac)
                rack->setMacro (t, mac, (float) ((k + t + mac) % 10) / 10.0f);
        rack->render (events.data(), (int) events.size(), left.data(), right.data(), k % 3 == 0 ? 176 : 512);
    }
    EXPECT_EQ (scope.count(), 0u);
}

//==============================================================================
// The whole mix as the plug-in plays it: the conductor's events for several
// seeds and every style through every track, at the default mix settings.
TEST (WholeMix, EveryStyleStaysCleanBoundedAndNeverFallsSilent)
{
    const double rate = 44100.0, bpm = 126.0;
    const double stepsPerSample = bpm / 60.0 * 4.0 / rate;
    const int bars = 20;
    for (int seed : { 126, 7, 90210 })
        for (int style = -1; style < 16; style += (seed == 126 ? 1 : 6))
        {
            auto rack = std::make_unique<Rack>();
            auto seq = std::make_unique<Sequencer>();
            rack->prepare (rate);
            rack->setTempo (bpm);
            rack->setMix (MixValues {});
            seq->prepare();
            Settings s;
            s.seed = seed;
            s.style = style;

            Event events[kMaxEvents];
            std::vector<float> l (512), r (512);
            const std::int64_t total = (std::int64_t) (bars * 16 / stepsPerSample);
            const std::int64_t barSamples = (std::int64_t) (16 / stepsPerSample);
            double sum = 0.0, loudest = 0.0;
            std::int64_t kickAt = -1, silentRun = 0, longestSilence = 0;
            for (std::int64_t at = 0; at < total; at += 512)
            {
                const int n = (int) std::min<std::int64_t> (512, total - at);
                const ChunkClock clock = seq->place ((double) at * stepsPerSample, n, stepsPerSample);
                const int count = seq->schedule (clock, s, 43, 0.0f, events);
                for (int t = 0; t < kNumLanes; ++t)
                    for (int m = 0; m < 4; ++m)
                        rack->setMacro (t, m, std::clamp (seq->currentBar().timbre[t][m], 0.0f, 1.0f));
                for (int e = 0; e < count && kickAt < 0; ++e)
                    if (events[e].lane == KICK)
                        kickAt = at + events[e].offset;
                rack->render (events, count, l.data(), r.data(), n);
                for (int i = 0; i < n; ++i)
                {
                    ASSERT_TRUE (std::isfinite (l[(size_t) i]) && std::isfinite (r[(size_t) i]));
                    loudest = std::max (loudest, (double) std::max (std::fabs (l[(size_t) i]), std::fabs (r[(size_t) i])));
                    sum += l[(size_t) i] + r[(size_t) i];
                    const bool quiet = std::fabs (l[(size_t) i]) < 1e-4f && std::fabs (r[(size_t) i]) < 1e-4f;
                    silentRun = (kickAt >= 0 && quiet) ? silentRun + 1 : 0;
                    longestSilence = std::max (longestSilence, silentRun);
                }
            }
            const std::string what = "seed " + std::to_string (seed) + " style " + std::to_string (style);
            EXPECT_LE (loudest, 0.9) << what;
            EXPECT_GT (loudest, 0.1) << what;
            EXPECT_LT (std::fabs (sum / (2.0 * (double) total)), 0.01) << what << ": DC";
            EXPECT_GE (kickAt, 0) << what;
            EXPECT_LT (longestSilence, 8 * barSamples) << what;
        }
}
