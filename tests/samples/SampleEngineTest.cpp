// The sample engine as a listener hears it: pitch rules per track, voice
// stealing, choke, the open-hat fallback and the STAB echo, with small
// synthetic samples so each fault shows plainly.

#include "Analysis.h"
#include "AllocationCounter.h"
#include "conductor/Types.h"
#include "samples/SampleData.h"
#include "samples/SampleEngine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace grum
{
namespace
{
constexpr double kRate = 44100.0;

SampleData sine (double hz, double seconds, int root)
{
    SampleData s;
    const int n = (int) (seconds * kRate);
    for (int i = 0; i < n; ++i)
        s.left.push_back ((float) (0.5 * std::sin (2.0 * test::kPiD * hz * i / kRate)));
    s.left.push_back (0.0f);
    s.root = root;
    return s;
}

SampleData constant (float value, int frames)
{
    SampleData s;
    s.left.assign ((size_t) frames, value);
    s.left.push_back (0.0f);
    return s;
}

struct Render
{
    std::vector<float> l, r;
};

Render render (SampleEngine& e, int n)
{
    Render out { std::vector<float> ((size_t) n, 0.0f), std::vector<float> ((size_t) n, 0.0f) };
    for (int at = 0; at < n; at += 512)
        e.render (out.l.data() + at, out.r.data() + at, std::min (512, n - at));
    return out;
}

TEST (SampleRoot, KeyTokenGivesPitchClass)
{
    const struct { const char* name; int root; } cases[] = {
        { "K29_Stad_Kick_F", 5 }, { "F02_Stad_Ab", 8 }, { "S03_Dub_Bbm7_Echo", 10 },
        { "S16_Chord_Stab_Tech_Fm9", 5 }, { "C05_Rim", -1 }, { "F03_Stad_C", 0 },
        { "Lp04_Bass_5step_F_130", 5 },   // the tempo after the key is no key
        { "K02_Deep_Long", -1 },          // "Deep" starts with D but is a word
        { "S02_Dub_Fm7_Echo", 5 },        // "Echo" is not E
        { "F_Deep", -1 },                 // the category code is never read
        { "X_G7", 7 }, { "X_Ebm", 3 }, { "X_Db_A", 9 },   // the last key token wins
    };
    for (const auto& c : cases)
        EXPECT_EQ (rootPitchClassOf (c.name), c.root) << c.name;
}

// The pitch a sine recorded at 441 Hz comes out at, per track and note.
TEST (SampleEngine, TrackPitchRulesTransposeToTheNote)
{
    const SampleData rootedF = sine (441.0, 1.0, 5), unrooted = sine (441.0, 1.0, -1);
    const struct { int track; int note; const SampleData* sample; double semitones; } cases[] = {
        { BAS, 41, &rootedF, 0.0 },     // F on an F root: as recorded
        { BAS, 48, &rootedF, 7.0 },
        { BAS, 24, &rootedF, -12.0 },   // limited to an octave down
        { BAS, 72, &rootedF, 19.0 },    // and 19 up
        { BAS, 60, &unrooted, 0.0 },    // no root, no transposition
        { STAB, 53, &rootedF, 0.0 },
        { STAB, 58, &rootedF, 5.0 },
        { STAB, 60, &rootedF, -5.0 },   // the nearest way to C
        { STAB, 65, &rootedF, 0.0 },    // octaves fold away
        { PERC, 75, &rootedF, 0.0 },
        { PERC, 82, &rootedF, 7.0 },
        { PERC, 90, &rootedF, 7.0 },
        { PERC, 50, &rootedF, -7.0 },
        { PERC, 82, &unrooted, 7.0 / 3.0 },   // M3 at its middle: only a third of the step
        { KICK, 36, &rootedF, 0.0 },
        { HAT, 42, &rootedF, 0.0 },
    };
    for (const auto& c : cases)
    {
        SampleEngine e (c.track);
        e.prepare (kRate, 512);
        e.setMacro (0, 1.0f);   // long decay: the pitch is measured on a steady tone
        e.setSamples (c.sample, nullptr);
        e.trigger (c.note, 1.0f, false, 44100);
        const Render out = render (e, 8192);
        const double hz = test::crossingHz (out.l, 1024, 8192, kRate);
        const double expected = 441.0 * std::pow (2.0, c.semitones / 12.0);
        EXPECT_NEAR (hz, expected, expected * 0.002) << laneName (c.track) << " note " << c.note;
    }
}

TEST (SampleEngine, SeventhHitStealsTheOldestVoiceWithoutAFade)
{
    const SampleData s = constant (0.1f, 44100);
    SampleEngine e (PERC);
    e.prepare (kRate, 512);
    e.setMacro (0, 1.0f);
    e.setSamples (&s, nullptr);
    for (int i = 0; i < 6; ++i)
    {
        e.trigger (75, 1.0f, false, 100);
        render (e, 64);
    }
    ASSERT_EQ (e.activeVoices(), 6);
    const float oldEnvelope = e.voice (1).envelope;

    e.trigger (75, 1.0f, false, 100);
    EXPECT_EQ (e.activeVoices(), 6);
    const auto stolen = e.voice (0);   // the first hit's voice
    EXPECT_EQ (stolen.age, 0);
    EXPECT_FLOAT_EQ (stolen.envelope, 1.0f);
    EXPECT_FALSE (stolen.releasing);
    EXPECT_FLOAT_EQ (e.voice (1).envelope, oldEnvelope);   // the others ring on untouched
    for (int i = 1; i < 6; ++i)
        EXPECT_FALSE (e.voice (i).releasing);
}

TEST (SampleEngine, KickHatAndBassChokeOver3msOtherTracksStack)
{
    const SampleData s = constant (0.2f, 44100);
    for (int track : { KICK, HAT, CLICK, PERC, BAS, STAB })
    {
        SampleEngine e (track);
        e.prepare (kRate, 512);
        e.setMacro (0, 1.0f);
        e.setSamples (&s, nullptr);
        e.trigger (60, 1.0f, false, 44100);
        render (e, 256);
        e.trigger (60, 1.0f, false, 44100);
        // 3 ms after the second hit the first voice is 60 dB down; by 10 ms gone.
        render (e, (int) (0.003 * kRate));
        const bool chokes = track == KICK || track == HAT || track == BAS;
        if (chokes)
        {
            EXPECT_LT (e.voice (0).envelope, 0.0015f) << laneName (track);
        }
        render (e, (int) (0.007 * kRate));
        EXPECT_EQ (e.activeVoices(), chokes ? 1 : 2) << laneName (track);
    }
}

TEST (SampleEngine, OpenHatPlaysTheAlternativeOrFallsBackToTheMain)
{
    const SampleData closed = sine (441.0, 0.5, -1), open = sine (882.0, 0.5, -1);
    SampleEngine e (HAT);
    e.prepare (kRate, 512);
    e.setMacro (0, 1.0f);
    e.setMacro (2, 0.5f);
    e.setSamples (&closed, nullptr);
    e.trigger (46, 1.0f, true, 100);
    EXPECT_NEAR (test::crossingHz (render (e, 4096).l, 512, 4096, kRate), 441.0, 1.0);

    e.setSamples (&closed, &open);
    e.trigger (46, 1.0f, true, 100);
    EXPECT_NEAR (test::crossingHz (render (e, 4096).l, 512, 4096, kRate), 882.0, 2.0);
    e.trigger (42, 1.0f, false, 100);
    EXPECT_NEAR (test::crossingHz (render (e, 4096).l, 512, 4096, kRate), 441.0, 1.0);
}

TEST (SampleEngine, TriggerWithoutAUsableSampleIsIgnored)
{
    SampleData tooShort;
    tooShort.left = { 0.0f };
    for (const SampleData* s : { (const SampleData*) nullptr, (const SampleData*) &tooShort })
    {
        SampleEngine e (KICK);
        e.prepare (kRate, 512);
        e.setSamples (s, nullptr);
        e.trigger (36, 1.0f, false, 100);
        EXPECT_EQ (e.activeVoices(), 0);
        const Render out = render (e, 512);
        EXPECT_EQ (test::crossingHz (out.l, 0, 512, kRate), 0.0);
        for (float v : out.l)
            ASSERT_EQ (v, 0.0f);
    }
}

TEST (SampleEngine, StabEchoRepeatsADottedEighthLaterAndOnlyOnStab)
{
    const SampleData blip = sine (441.0, 0.02, 5);
    for (int track : { STAB, PERC })
    {
        SampleEngine e (track);
        e.prepare (kRate, 512);
        e.setTempo (120.0);   // a dotted eighth is 0.375 s
        e.setSamples (&blip, nullptr);
        e.trigger (53, 1.0f, false, 44100);
        const Render out = render (e, (int) (0.6 * kRate));
        const int delay = (int) (0.375 * kRate);
        const double dry = test::dbOf (std::sqrt (std::max (1e-24, [&] { double s = 0; for (int i = 0; i < 800; ++i) s += out.l[(size_t) i] * out.l[(size_t) i]; return s / 800; }())));
        double echoSum = 0.0, gapSum = 0.0;
        for (int i = 0; i < 800; ++i)
        {
            echoSum += out.l[(size_t) (delay + i)] * out.l[(size_t) (delay + i)];
            gapSum += out.l[(size_t) (delay / 2 + i)] * out.l[(size_t) (delay / 2 + i)];
        }
        const double echo = test::dbOf (std::sqrt (echoSum / 800)), gap = test::dbOf (std::sqrt (gapSum / 800));
        if (track == STAB)
        {
            EXPECT_GT (echo, dry - 20.0);    // the first repeat is clearly there
            EXPECT_LT (echo, dry);           // and quieter than the hit
            EXPECT_LT (gap, echo - 40.0);    // with silence before it
            EXPECT_EQ (e.echoDelay(), delay);
        }
        else
            EXPECT_LT (echo, -100.0);
    }
}

TEST (SampleEngine, PlayingNeverAllocates)
{
    const SampleData s = sine (220.0, 0.3, 5);
    SampleEngine e (STAB);
    e.prepare (kRate, 512);
    e.setSamples (&s, &s);
    std::vector<float> l (512), r (512);
    test::AllocationScope scope;
    for (int block = 0; block < 200; ++block)
    {
        if (block % 3 == 0)
            e.trigger (48 + block % 24, 0.8f, block % 2 == 0, 3000);
        e.render (l.data(), r.data(), 512);
    }
    EXPECT_EQ (scope.count(), 0u);
}

} // namespace
} // namespace grum
