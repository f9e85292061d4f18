#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "Measure.h"
#include "sound/AcidEngine.h"
#include "sound/DrumEngines.h"
#include "sound/TonalEngines.h"

using namespace grum;
using grum::test::rms;

namespace
{
struct Stereo
{
    std::vector<float> left, right;
    explicit Stereo (int n, float fill = 0.0f) : left ((size_t) n, fill), right ((size_t) n, fill) {}
};

Stereo renderNote (IEngine& e, int n, int note = 60, float velocity = 1.0f, bool flag = false, int length = 4000)
{
    Stereo out (n);
    e.trigger (note, velocity, flag, length);
    // In pieces, as the rack renders between events.
    for (int at = 0; at < n; at += 512)
        e.render (out.left.data() + at, out.right.data() + at, std::min (512, n - at));
    return out;
}

using Factory = std::function<std::unique_ptr<IEngine>()>;

struct EngineCase
{
    const char* name;
    Factory make;
};

const EngineCase kEngines[] = {
    { "KICK", [] { return std::make_unique<KickEngine>(); } },
    { "HAT", [] { return std::make_unique<HatEngine>(); } },
    { "CLICK", [] { return std::make_unique<ClickEngine>(); } },
    { "PERC", [] { return std::make_unique<PercEngine>(); } },
    { "BAS", [] { return std::make_unique<BassEngine>(); } },
    { "STAB", [] { return std::make_unique<StabEngine>(); } },
    { "GRUM", [] { return std::make_unique<AcidEngine>(); } },
};
} // namespace

//==============================================================================
class EveryEngine : public ::testing::TestWithParam<EngineCase> {};

TEST_P (EveryEngine, FreshEngineIsSilentAndRenderAddsIntoTheBuffers)
{
    auto e = GetParam().make();
    EXPECT_STREQ (e->name(), GetParam().name);
    e->prepare (48000.0, 512);

    Stereo silent (512);
    e->render (silent.left.data(), silent.right.data(), 512);
    EXPECT_EQ (test::peak (silent.left) + test::peak (silent.right), 0.0f);

    // Zero or negative counts touch nothing.
    e->trigger (60, 1.0f, true, 2000);
    Stereo marked (4, 0.25f);
    e->render (marked.left.data(), marked.right.data(), 0);
    e->render (marked.left.data(), marked.right.data(), -5);
    for (float v : marked.left)
        EXPECT_EQ (v, 0.25f);

    // Rendering into a non-silent buffer sums: the same note into 0 and into
    // 0.25 differs by exactly the 0.25.
    auto a = GetParam().make();
    auto b = GetParam().make();
    a->prepare (48000.0, 512);
    b->prepare (48000.0, 512);
    Stereo fromZero (512), fromQuarter (512, 0.25f);
    a->trigger (60, 1.0f, false, 2000);
    b->trigger (60, 1.0f, false, 2000);
    a->render (fromZero.left.data(), fromZero.right.data(), 512);
    b->render (fromQuarter.left.data(), fromQuarter.right.data(), 512);
    EXPECT_GT (rms (fromZero.left, 0, 512), 0.001);
    for (int i = 0; i < 512; ++i)
        ASSERT_NEAR (fromQuarter.left[(size_t) i] - 0.25f, fromZero.left[(size_t) i], 1e-6) << i;
}

TEST_P (EveryEngine, OutputStaysFiniteAndBoundedForExtremeSettings)
{
    for (double rate : { 8000.0, 44100.0, 192000.0 })
        for (float macro : { 0.0f, 1.0f, -0.5f, 1.5f })
        {
            auto e = GetParam().make();
            e->prepare (rate, 512);
            e->setTempo (macro > 0.5f ? 400.0 : 20.0);
            e->setPitchOffset (macro > 0.5f ? 24.0f : -24.0f);
            for (int m = 0; m < 4; ++m)
                e->setMacro (m, macro);
            Stereo out ((int) rate / 2);
            const int notes[] = { 0, 24, 60, 84, 127, 36 };
            const int n = (int) out.left.size();
            int at = 0;
            for (int k = 0; k < 12; ++k)
            {
                // Hits of every kind, some during the previous note's gate.
                e->trigger (notes[k % 6], k % 3 == 0 ? 0.05f : 1.0f, k % 2 == 0, k % 4 == 0 ? 0 : 1 << 20);
                const int len = std::min (n - at, 700 + 331 * k);
                for (int done = 0; done < len; done += 512)
                    e->render (out.left.data() + at + done, out.right.data() + at + done, std::min (512, len - done));
                at += len;
            }
            ASSERT_TRUE (test::allFinite (out.left) && test::allFinite (out.right)) << rate << " " << macro;
            EXPECT_LT (test::peak (out.left), 4.0f) << rate << " " << macro;
            EXPECT_LT (test::peak (out.right), 4.0f) << rate << " " << macro;
        }
}

TEST_P (EveryEngine, MacroIndexOutsideZeroToThreeChangesNothing)
{
    auto plain = GetParam().make();
    auto poked = GetParam().make();
    plain->prepare (44100.0, 512);
    poked->prepare (44100.0, 512);
    poked->setMacro (4, 0.0f);
    poked->setMacro (-1, 1.0f);
    poked->setMacro (1 << 30, 0.0f);
    const Stereo a = renderNote (*plain, 4096);
    const Stereo b = renderNote (*poked, 4096);
    EXPECT_EQ (a.left, b.left);
    EXPECT_EQ (a.right, b.right);
}

TEST_P (EveryEngine, ResetSilencesTheVoice)
{
    auto e = GetParam().make();
    e->prepare (44100.0, 512);
    renderNote (*e, 256);
    e->reset();
    Stereo out (2048);
    e->render (out.left.data(), out.right.data(), 2048);
    EXPECT_EQ (test::peak (out.left) + test::peak (out.right), 0.0f);
}

INSTANTIATE_TEST_SUITE_P (Engines, EveryEngine, ::testing::ValuesIn (kEngines),
                          [] (const ::testing::TestParamInfo<EngineCase>& p) { return std::string (p.param.name); });

//==============================================================================
TEST (KickEngine, SweepsDownToItsBaseFrequency)
{
    KickEngine kick;
    const double rate = 48000.0;
    kick.prepare (rate, 512);
    for (float m2 : { 0.0f, 0.5f, 1.0f })
    {
        kick.setMacro (0, 1.0f);   // long body, so the tail is easy to measure
        kick.setMacro (1, 1.0f);   // short sweep
        kick.setMacro (2, m2);
        const Stereo out = renderNote (kick, (int) rate / 2);
        // Early on the sweep is well above the base; late it has settled.
        const double early = test::zeroCrossingHz (out.left, 0, 960, rate);
        const double late = test::zeroCrossingHz (out.left, 9600, 19200, rate);
        EXPECT_NEAR (late, 42.0 + 12.0 * m2, 0.5) << m2;
        EXPECT_GT (early, late * 1.5) << m2;
    }
}

TEST (DrumEngines, QuietestVelocityStillStartsAudibly)
{
    KickEngine kick;
    HatEngine hat;
    kick.prepare (44100.0, 512);
    hat.prepare (44100.0, 512);
    kick.trigger (36, 0.05f, false, 100);
    hat.trigger (42, 0.05f, false, 100);
    EXPECT_FLOAT_EQ (kick.amplitude(), 0.3825f);
    EXPECT_FLOAT_EQ (hat.amplitude(), 0.05f);
}

TEST (HatEngine, OpenHatRingsLongerAndThePhasesRunOn)
{
    const double rate = 44100.0;
    HatEngine hat;
    hat.prepare (rate, 512);
    const Stereo closed = renderNote (hat, 8820, 42, 1.0f, false);
    float phasesBefore[6];
    for (int o = 0; o < 6; ++o)
        phasesBefore[o] = hat.phaseOf (o);
    hat.trigger (46, 1.0f, true, 100);
    for (int o = 0; o < 6; ++o)
        EXPECT_EQ (hat.phaseOf (o), phasesBefore[o]) << "oscillator " << o;
    Stereo open (8820);
    hat.render (open.left.data(), open.right.data(), 8820);

    // 100 to 200 ms after the hit: the closed hat has died, the open one rings.
    const double closedTail = rms (closed.right, 4410, 8820);
    const double openTail = rms (open.right, 4410, 8820);
    EXPECT_LT (closedTail, 1e-5);
    EXPECT_GT (openTail, 0.003);
    // The left side is the right at 0.8.
    EXPECT_NEAR (rms (open.left, 0, 8820) / rms (open.right, 0, 8820), 0.8, 1e-4);
}

TEST (HatEngine, FiltersStayBelowNyquistAtLowRates)
{
    // At 8 kHz both of the hat's filters (8-11.5 kHz and 6-8.5 kHz) sit at 3600 Hz.
    HatEngine hat;
    hat.prepare (8000.0, 512);
    hat.trigger (42, 1.0f, false, 0);
    dsp::Svf at3600;
    at3600.set (3600.0f, 0.8333333f, 8000.0f);
    EXPECT_EQ (hat.bandFilter().a1, at3600.a1);
    at3600.set (3600.0f, 1.4285714f, 8000.0f);
    EXPECT_EQ (hat.highFilter().a1, at3600.a1);
}

TEST (PercEngine, HitsAlternateSidesAndResetKeepsTheSide)
{
    PercEngine perc;
    perc.prepare (44100.0, 512);
    const auto balance = [&perc]
    {
        const Stereo out = renderNote (perc, 2048, 75);
        return rms (out.left, 0, 2048) / rms (out.right, 0, 2048);
    };
    EXPECT_NEAR (balance(), 4.0, 1e-3);    // left-heavy: gains 1.6 and 0.4
    EXPECT_NEAR (balance(), 0.25, 1e-4);   // then right-heavy
    perc.reset();
    EXPECT_NEAR (balance(), 4.0, 1e-3);    // the sign survived the reset
}

TEST (BassEngine, GateHoldsTheNoteThenItReleases)
{
    const double rate = 44100.0;
    BassEngine bass;
    bass.prepare (rate, 512);
    bass.setMacro (0, 0.0f);   // filter closed to 90 Hz: the sub octave carries the pitch
    const int gate = 17640;
    const Stereo out = renderNote (bass, 26460, 45, 1.0f, false, gate);
    // Level while the gate is open, then gone within about 30 ms of its end.
    EXPECT_GT (rms (out.left, 4410, gate), 0.05);
    EXPECT_LT (rms (out.left, gate + 2646, gate + 4410), 1e-4);
    // Note 45 is 110 Hz; its sub an octave below.
    EXPECT_NEAR (test::zeroCrossingHz (out.left, 8820, gate, rate), 55.0, 0.5);
}

TEST (StabEngine, EchoRepeatArrivesADottedEighthLater)
{
    const double rate = 44100.0;
    StabEngine stab;
    stab.prepare (rate, 512);
    stab.setTempo (126.0);
    EXPECT_EQ (stab.echoDelay(), 15750);
    stab.setMacro (3, 0.0f);   // short release, so the dry hit is gone before the echo
    const Stereo out = renderNote (stab, 30000, 60, 1.0f, false, 441);
    // The dry hit fades out; silence; the first repeat starts exactly at the delay.
    EXPECT_LT (rms (out.left, 15000, 15750), 1e-5);
    EXPECT_GT (rms (out.left, 15750, 16200), 0.01);
    EXPECT_NE (out.left[15750 + 1], 0.0f);

    // The slowest tempo at the lowest rate still fits: 9000 samples of a
    // 20004-sample line.
    StabEngine slow;
    slow.prepare (8000.0, 512);
    slow.setTempo (40.0);
    EXPECT_EQ (slow.lineLength(), 20004);
    EXPECT_EQ (slow.echoDelay(), 9000);
}

TEST (StabEngine, NeverPreparedRendersNothing)
{
    StabEngine stab;
    stab.trigger (60, 1.0f, false, 1000);
    Stereo out (512);
    stab.render (out.left.data(), out.right.data(), 512);
    EXPECT_EQ (test::peak (out.left) + test::peak (out.right), 0.0f);
}

//==============================================================================
TEST (AcidSound, SameRecipeAndVariantGiveTheSameSoundAndAnyOtherVariantADifferentOne)
{
    const auto fields = [] (const AcidSound& s)
    {
        return std::vector<float> { s.cutoff, s.resonance, s.envAmount, s.decayMs, s.subLevel, s.osc2Level,
                                    s.osc2Ratio, s.drive, s.fold, s.pulseWidth, s.shape, s.accentSweep };
    };
    for (int recipe = 0; recipe < kNumAcidRecipes; ++recipe)
    {
        const AcidRecipe& r = acidRecipes[recipe];
        const AcidSound a = AcidSound::build (recipe, 1);
        EXPECT_EQ (fields (a), fields (AcidSound::build (recipe, 1)));
        EXPECT_EQ (a.mode, r.mode);
        // Every drawn value lies inside its recipe's range.
        EXPECT_GE (a.cutoff, r.cutoffLow * 0.9999f);
        EXPECT_LE (a.cutoff, r.cutoffHigh * 1.0001f);
        EXPECT_GE (a.resonance, r.resonanceLow);
        EXPECT_LE (a.resonance, r.resonanceHigh);
        EXPECT_GE (a.decayMs, r.decayLow);
        EXPECT_LE (a.decayMs, r.decayHigh);
        EXPECT_LE (a.fold, r.foldMax);
        EXPECT_LE (a.pulseWidth, r.pulseWidthMax);
        EXPECT_TRUE ((a.shape >= 0.0f && a.shape < 0.25f) || (a.shape >= 0.75f && a.shape < 1.0f));

        const std::vector<float> one = fields (a), two = fields (AcidSound::build (recipe, 2));
        for (size_t k = 0; k < one.size(); ++k)
        {
            const bool rangeIsEmpty = (k == 5 && r.osc2Low == r.osc2High) || (k == 7 && r.driveLow == r.driveHigh);
            if (! rangeIsEmpty)
            {
                EXPECT_NE (one[k], two[k]) << acidRecipes[recipe].name << " value " << k;
            }
        }
    }
}

TEST (AcidEngine, RecipeChangesAreBuiltAtTheNextTriggerAndClamped)
{
    AcidEngine e;
    e.prepare (44100.0, 512);
    e.setRecipe (12, -3);
    EXPECT_EQ (e.recipe(), 9);
    EXPECT_EQ (e.variant(), 0u);
    EXPECT_TRUE (e.rebuildPending());
    e.trigger (48, 1.0f, false, 100);
    EXPECT_FALSE (e.rebuildPending());
    EXPECT_EQ (e.sound().cutoff, AcidSound::build (9, 0).cutoff);
}

TEST (AcidEngine, AccentChargeBuildsUpAndDrainsWithoutAccents)
{
    AcidEngine e;
    e.prepare (44100.0, 512);
    const float expected[] = { 1.0f, 1.6f, 1.6f };
    for (float amount : expected)
    {
        e.trigger (48, 1.0f, true, 100);
        EXPECT_FLOAT_EQ (e.accentAmount(), amount);
    }
    e.trigger (48, 1.0f, false, 100);
    EXPECT_EQ (e.accentAmount(), 0.0f);
    e.trigger (48, 1.0f, true, 100);
    EXPECT_FLOAT_EQ (e.accentAmount(), 1.6f * 0.5f * 0.6f + 1.0f);
}

TEST (AcidEngine, LegatoNoteGlidesInsteadOfJumping)
{
    const float rate = 48000.0f;
    AcidEngine e;
    e.prepare (rate, 512);
    std::vector<float> l (4800), r (4800);
    e.trigger (48, 1.0f, false, 48000);
    e.render (l.data(), r.data(), 4800);
    const float envelopeBefore = e.filterEnvelope();
    const float from = e.frequency();

    e.trigger (60, 1.0f, false, 48000);   // the gate is still open
    EXPECT_EQ (e.frequency(), from);
    EXPECT_EQ (e.filterEnvelope(), envelopeBefore);   // not restarted
    // One time constant (60 ms) later about 63 % of the way is done.
    e.render (l.data(), r.data(), (int) (0.06f * rate));
    const float done = (e.frequency() - from) / (e.targetFrequency() - from);
    EXPECT_NEAR (done, 1.0 - std::exp (-1.0), 0.01);

    // A note after the gate has closed and the level died jumps.
    AcidEngine fresh;
    fresh.prepare (rate, 512);
    fresh.trigger (48, 1.0f, false, 10);
    std::vector<float> big (48000), big2 (48000);
    fresh.render (big.data(), big2.data(), 48000);
    fresh.trigger (60, 1.0f, false, 100);
    EXPECT_EQ (fresh.frequency(), fresh.targetFrequency());
    EXPECT_EQ (fresh.filterEnvelope(), 1.0f);
}

TEST (AcidEngine, PlaysInTuneAtEverySampleRate)
{
    // The same note measured at two rates gives the same pitch in Hz.
    const auto pitchAt = [] (double rate)
    {
        AcidEngine e;
        e.setRecipe (0, 3);
        e.prepare (rate, 512);
        for (int m = 0; m < 4; ++m)
            e.setMacro (m, 0.0f);   // dark and clean: the fundamental dominates
        std::vector<float> l ((size_t) rate), r ((size_t) rate);
        e.trigger (36, 1.0f, false, (int) rate);
        e.render (l.data(), r.data(), (int) rate);
        return test::zeroCrossingHz (l, (int) rate / 4, (int) rate, rate);
    };
    const double at44 = pitchAt (44100.0);
    EXPECT_GT (at44, 20.0);
    EXPECT_NEAR (pitchAt (96000.0), at44, at44 * 0.01);
}
