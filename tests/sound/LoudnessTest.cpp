#include <gtest/gtest.h>

#include "AllocationCounter.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "Measure.h"
#include "sound/Loudness.h"

using namespace grum;

// The figures below follow from the definition of integrated loudness:
//
//   L = -0.691 + 10 log10 (sum over channels of the mean square of the
//                          K-weighted signal)
//
// A sine of amplitude A has mean square A^2 / 2; K-weighting multiplies it by
// the filter's power gain at the sine's frequency, which the tests measure by
// running a sine through the filter rather than taking it from the code. At
// 997 Hz that gain is about +0.691 dB, which the -0.691 offset cancels, so a
// 997 Hz sine at -20 dBFS in both channels reads
//   -0.691 + 10 log10 (2 x 0.01 / 2) + 0.691 = -20 LUFS,
// one channel alone 3.01 dB less, and a 1 kHz full-scale sine in one channel
// -0.691 - 3.01 + 0.69 = about -3.0 LUFS.

namespace
{
constexpr double kPi = 3.14159265358979323846;

std::vector<float> tone (std::initializer_list<double> hz, double amplitude, double rate, double seconds)
{
    const int n = (int) std::lround (rate * seconds);
    std::vector<float> x ((size_t) n);
    for (int i = 0; i < n; ++i)
    {
        double v = 0.0;
        for (double f : hz)
            v += std::sin (2.0 * kPi * f * i / rate);
        x[(size_t) i] = (float) (amplitude * v);
    }
    return x;
}

std::vector<float> concat (std::vector<float> a, const std::vector<float>& b)
{
    a.insert (a.end(), b.begin(), b.end());
    return a;
}

double measure (const std::vector<float>& left, const std::vector<float>& right, double rate)
{
    LoudnessMeter meter (rate, 2);
    meter.process (left.data(), right.data(), (int) left.size());
    return meter.integratedLufs();
}

// The K-weighting filter's gain in dB at `hz`, measured with a sine.
double kWeightingGainDb (double hz, double rate)
{
    KWeighting k (rate);
    const int n = (int) rate;           // one second; the second half is steady
    const std::vector<float> x = test::sine (hz, rate, n);
    std::vector<float> y ((size_t) n);
    for (int i = 0; i < n; ++i)
        y[(size_t) i] = (float) k.process (x[(size_t) i]);
    return 20.0 * std::log10 (test::rms (y, n / 2, n) / test::rms (x, n / 2, n));
}

double sineLufs (double amplitude, double gainDb, int channels)
{
    return -0.691 + 10.0 * std::log10 (channels * amplitude * amplitude / 2.0) + gainDb;
}
} // namespace

TEST (KWeighting, At48kHzTheDerivedStagesAreThePublishedCoefficients)
{
    const KWeighting k (48000.0);
    const Biquad& s = k.shelfStage();
    const Biquad& h = k.highPassStage();
    EXPECT_NEAR (s.b0, 1.53512485958697, 1e-8);
    EXPECT_NEAR (s.b1, -2.69169618940638, 1e-8);
    EXPECT_NEAR (s.b2, 1.19839281085285, 1e-8);
    EXPECT_NEAR (s.a1, -1.69065929318241, 1e-8);
    EXPECT_NEAR (s.a2, 0.73248077421585, 1e-8);
    EXPECT_EQ (h.b0, 1.0);
    EXPECT_EQ (h.b1, -2.0);
    EXPECT_EQ (h.b2, 1.0);
    EXPECT_NEAR (h.a1, -1.99004745483398, 1e-8);
    EXPECT_NEAR (h.a2, 0.99007225036621, 1e-8);
}

TEST (KWeighting, TheSameCurveAtEverySampleRate)
{
    // The shelf lifts the top by about 4 dB, the high-pass cuts the lowest
    // bass, and about +0.69 dB at 997 Hz is what the -0.691 offset cancels.
    EXPECT_NEAR (kWeightingGainDb (997.0, 48000.0), 0.691, 0.01);
    EXPECT_NEAR (kWeightingGainDb (8000.0, 48000.0), 4.0, 0.25);
    EXPECT_LT (kWeightingGainDb (20.0, 48000.0), -10.0);

    // Within 0.05 dB of the 48 kHz curve from bass to treble at the usual
    // rates (below 32 kHz the bilinear warping alone makes more than that).
    for (double rate : { 32000.0, 44100.0, 96000.0, 192000.0 })
        for (double hz : { 25.0, 100.0, 997.0, 2000.0, 5000.0 })
            EXPECT_NEAR (kWeightingGainDb (hz, rate), kWeightingGainDb (hz, 48000.0), 0.05)
                << hz << " Hz at " << rate << " Hz";
}

TEST (LoudnessMeter, SinesReadTheirReferenceLevels)
{
    constexpr double rate = 48000.0;
    struct Case
    {
        double hz, dbfs;
        bool left, right;
        double about;       // LUFS
    };
    const Case cases[] = {
        { 997.0, -20.0, true, true, -20.0 },
        { 997.0, -20.0, true, false, -23.01 },      // the stereo pair sums +3 dB
        { 997.0, -20.0, false, true, -23.01 },
        { 1000.0, 0.0, true, false, -3.0 },
        { 997.0, -40.0, true, true, -40.0 },
    };
    for (const auto& c : cases)
    {
        const double amplitude = std::pow (10.0, c.dbfs / 20.0);
        const std::vector<float> on = tone ({ c.hz }, amplitude, rate, 10.0);
        const std::vector<float> off (on.size(), 0.0f);
        const double lufs = measure (c.left ? on : off, c.right ? on : off, rate);
        const int channels = (c.left ? 1 : 0) + (c.right ? 1 : 0);
        SCOPED_TRACE (testing::Message() << c.hz << " Hz at " << c.dbfs << " dBFS in " << channels << " channel(s)");
        EXPECT_NEAR (lufs, sineLufs (amplitude, kWeightingGainDb (c.hz, rate), channels), 0.01);
        EXPECT_NEAR (lufs, c.about, 0.1);
    }
    // A mono meter reads one channel as the stereo meter reads it with the other silent.
    const std::vector<float> x = tone ({ 997.0 }, 0.1, rate, 5.0);
    LoudnessMeter mono (rate, 1);
    mono.process (x.data(), nullptr, (int) x.size());
    EXPECT_NEAR (mono.integratedLufs(), measure (x, std::vector<float> (x.size(), 0.0f), rate), 1e-9);
}

// Ten seconds of a steady sine make 97 blocks of power P. Another ten seconds
// 20 dB or more below add three blocks straddling the join, with about 3/4,
// 1/2 and 1/4 of P; every other block of the quiet part must be gated out,
// leaving (97 + 1.5) P / 100.
constexpr double kJoinDb = -0.0655;     // 10 log10 (98.5 / 100)

TEST (LoudnessMeter, TheAbsoluteGateIgnoresSilenceAndNearSilence)
{
    constexpr double rate = 48000.0;
    const std::vector<float> loud = tone ({ 997.0 }, 0.1, rate, 10.0);
    const double alone = measure (loud, loud, rate);

    for (double quietDb : { -200.0, -90.0 })        // digital and near silence, far below -70 LUFS
    {
        const std::vector<float> quiet = tone ({ 997.0 }, std::pow (10.0, quietDb / 20.0), rate, 10.0);
        const std::vector<float> both = concat (loud, quiet), before = concat (quiet, loud);
        EXPECT_NEAR (measure (both, both, rate), alone + kJoinDb, 0.005) << quietDb;
        EXPECT_NEAR (measure (before, before, rate), alone + kJoinDb, 0.005) << quietDb;
    }
}

TEST (LoudnessMeter, TheRelativeGateDropsSectionsTenLuBelow)
{
    constexpr double rate = 48000.0;
    const std::vector<float> loud = tone ({ 997.0 }, 0.1, rate, 10.0);
    const double alone = measure (loud, loud, rate);

    // 20 dB below (-40 LUFS): above the absolute gate but under the relative
    // one (about -33 LUFS), so only the blocks that straddle the join count.
    // Without the relative gate the quiet half would pull it down by almost 3 LU.
    const std::vector<float> withQuiet = concat (loud, tone ({ 997.0 }, 0.01, rate, 10.0));
    EXPECT_NEAR (measure (withQuiet, withQuiet, rate), alone + kJoinDb, 0.01);

    // 5 dB below is above the gate and counts: the mean of the two halves' power.
    const std::vector<float> withSofter = concat (loud, tone ({ 997.0 }, 0.1 * std::pow (10.0, -5.0 / 20.0), rate, 10.0));
    const double expected = alone + 10.0 * std::log10 ((1.0 + std::pow (10.0, -0.5)) / 2.0);
    EXPECT_NEAR (measure (withSofter, withSofter, rate), expected, 0.05);
}

TEST (LoudnessMeter, TheSameReadingAt44100And48000)
{
    // A chord from bass to treble, so both filter stages matter.
    for (double amplitude : { 0.3, 0.03 })
    {
        const std::vector<float> a = tone ({ 55.0, 440.0, 3000.0, 9000.0 }, amplitude, 44100.0, 8.0);
        const std::vector<float> b = tone ({ 55.0, 440.0, 3000.0, 9000.0 }, amplitude, 48000.0, 8.0);
        EXPECT_NEAR (measure (a, a, 44100.0), measure (b, b, 48000.0), 0.1) << amplitude;
    }
}

TEST (LoudnessMeter, NoLevelWithoutAGatedBlock)
{
    constexpr double rate = 48000.0;
    LoudnessMeter meter (rate, 2);
    EXPECT_FALSE (meter.hasLevel());
    EXPECT_EQ (meter.integratedLufs(), -INFINITY);
    EXPECT_EQ (meter.samplePeakDb(), -INFINITY);

    const std::vector<float> silence ((size_t) rate * 5, 0.0f);
    meter.process (silence.data(), silence.data(), (int) silence.size());
    EXPECT_EQ (meter.blocks(), 47);
    EXPECT_FALSE (meter.hasLevel());
    EXPECT_EQ (meter.integratedLufs(), -INFINITY);
    EXPECT_EQ (meter.samplePeakDb(), -INFINITY);

    // A loud sound shorter than one 400 ms block has no level either.
    LoudnessMeter shortMeter (rate, 2);
    const std::vector<float> blip = tone ({ 997.0 }, 0.5, rate, 0.39);
    shortMeter.process (blip.data(), blip.data(), (int) blip.size());
    EXPECT_FALSE (shortMeter.hasLevel());
    // ... until it reaches 400 ms.
    const std::vector<float> more = tone ({ 997.0 }, 0.5, rate, 0.02);
    shortMeter.process (more.data(), more.data(), (int) more.size());
    EXPECT_TRUE (shortMeter.hasLevel());
}

TEST (LoudnessMeter, ChunksOfAnySizeReadAsOneWithoutAllocating)
{
    constexpr double rate = 44100.0;
    const std::vector<float> l = concat (tone ({ 60.0, 997.0 }, 0.2, rate, 3.0), tone ({ 5000.0 }, 0.02, rate, 3.0));
    std::vector<float> r = tone ({ 150.0 }, 0.4, rate, 6.0);
    r[12345] = -0.75f;      // the peak, in the right channel only

    LoudnessMeter whole (rate, 2);
    whole.process (l.data(), r.data(), (int) l.size());

    LoudnessMeter chunked (rate, 2);
    const int sizes[] = { 1, 7, 64, 512, 4410, 4411, 10000 };
    const test::AllocationScope allocations;
    int at = 0;
    for (int k = 0; at < (int) l.size(); ++k)
    {
        const int n = std::min (sizes[k % 7], (int) l.size() - at);
        chunked.process (l.data() + at, r.data() + at, n);
        at += n;
    }
    EXPECT_EQ (allocations.count(), 0u);

    EXPECT_EQ (chunked.blocks(), whole.blocks());
    EXPECT_NEAR (chunked.integratedLufs(), whole.integratedLufs(), 1e-9);
    EXPECT_TRUE (whole.hasLevel());
    EXPECT_EQ (whole.samplePeak(), 0.75f);
    EXPECT_NEAR (whole.samplePeakDb(), 20.0 * std::log10 (0.75), 1e-9);

    whole.reset();
    EXPECT_FALSE (whole.hasLevel());
    EXPECT_EQ (whole.blocks(), 0);
}
