#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "Measure.h"
#include "sound/Effects.h"

using namespace grum;

namespace
{
std::vector<float> ramp (int n, float scale)
{
    std::vector<float> x ((size_t) n);
    for (int i = 0; i < n; ++i)
        x[(size_t) i] = scale * std::sin (0.01f * (float) i) + 0.001f * (float) (i % 7);
    return x;
}

// Index of the largest |x| in [from, to).
int loudestAt (const std::vector<float>& x, int from, int to)
{
    int best = from;
    for (int i = from; i < to; ++i)
        if (std::fabs (x[(size_t) i]) > std::fabs (x[(size_t) best]))
            best = i;
    return best;
}
} // namespace

TEST (BusCrusher, OffAtTinyAmountsAndCoarseAtFull)
{
    const std::vector<float> input = ramp (512, 0.7f);
    for (float amount : { 0.0f, 0.001f, -1.0f })
    {
        BusCrusher c;
        std::vector<float> l = input, r = input;
        c.process (l.data(), r.data(), 512, amount);
        EXPECT_EQ (l, input) << amount;
        EXPECT_EQ (r, input) << amount;
    }

    // Full amount: held for 17 samples, on a grid of 16 steps per unit, fully wet.
    BusCrusher c;
    std::vector<float> l = input, r = input;
    c.process (l.data(), r.data(), 512, 1.0f);
    for (int i = 0; i < 512; ++i)
    {
        ASSERT_NEAR (l[(size_t) i] * 16.0f, std::round (l[(size_t) i] * 16.0f), 1e-5) << i;
        if (i >= 17 && i % 17 != 16)
        {
            ASSERT_NEAR (l[(size_t) i], l[(size_t) i - 1], 1e-6) << i;
        }
    }
    EXPECT_NEAR (l[16], std::round (input[16] * 16.0f) / 16.0f, 1e-6);
    EXPECT_NE (l[33], l[32]);
}

TEST (Skew, OffAtTinyAmountsAndAShortSweptDelayAtFull)
{
    const double rate = 48000.0;
    Skew s;
    s.prepare (rate);
    EXPECT_EQ (s.lineLength(), 2408);
    const std::vector<float> input = ramp (512, 0.5f);
    std::vector<float> l = input, r = input;
    s.process (l.data(), r.data(), 512, 0.001f);
    EXPECT_EQ (l, input);

    // An impulse comes out delayed by 1.5 .. 10.5 ms, on both sides alike.
    for (int start : { 0, 20000, 40000 })
    {
        s.reset();
        std::vector<float> left ((size_t) start + 1024), right ((size_t) start + 1024);
        left[(size_t) start] = right[(size_t) start] = 1.0f;
        for (int at = 0; at < start + 1024; at += 512)
            s.process (left.data() + at, right.data() + at, std::min (512, start + 1024 - at), 1.0f);
        const int peakAt = loudestAt (left, start, start + 1024) - start;
        EXPECT_GE (peakAt, 72 - 1);
        EXPECT_LE (peakAt, 504 + 1);
        EXPECT_EQ (left, right);
    }
}

TEST (DubEcho, RepeatsPingPongAtTheEchoTime)
{
    const double rate = 48000.0;
    DubEcho echo;
    echo.prepare (rate);
    echo.setBeatSeconds (0.5f);   // 120 BPM
    const DubEcho::Settings s { 0.5f, 0.6f, 1.0f, 1.0f };   // an eighth: 12000 samples
    const int n = 40000;
    std::vector<float> send ((size_t) n), left ((size_t) n), right ((size_t) n);
    send[0] = 1.0f;
    for (int at = 0; at < n; at += 500)
        echo.process (send.data() + at, left.data() + at, right.data() + at, std::min (500, n - at), s);

    // The first repeat on the left one echo time later, the second on the right
    // one more later; the drift moves them by at most 0.3 %.
    EXPECT_NEAR (loudestAt (left, 1, 18000), 12000, 40);
    EXPECT_NEAR (loudestAt (right, 1, 30000), 24000, 80);
    EXPECT_LT (test::peak (std::vector<float> (right.begin(), right.begin() + 18000)), 1e-6f);
    // The send is saturated once on its way in: tanh (1), split by the
    // interpolation between two samples at most.
    EXPECT_LE (test::peak (left), std::tanh (1.0f) + 1e-6f);
    EXPECT_GE (test::peak (left), 0.5f * std::tanh (1.0f));
}

TEST (DubEcho, DelayFollowsTempoAndStaysInsideItsLine)
{
    DubEcho echo;
    echo.prepare (48000.0);
    EXPECT_EQ (echo.lineLength(), 153608);
    echo.setBeatSeconds (60.0f / 40.0f);
    EXPECT_FLOAT_EQ (echo.delaySamples (1.5f), 108000.0f);   // "1/4." at 40 BPM
    EXPECT_EQ (echo.delaySamples (0.0f), 8.0f);
    EXPECT_EQ (echo.delaySamples (100.0f), 153600.0f);
}

TEST (DubEcho, FullFeedbackStaysBounded)
{
    DubEcho echo;
    echo.prepare (44100.0);
    echo.setBeatSeconds (0.25f);
    const DubEcho::Settings s { 0.25f, 0.92f, 1.0f, 1.0f };
    std::vector<float> send (512, 1.0f), l (512), r (512);
    float loudest = 0.0f;
    for (int k = 0; k < 2000; ++k)
    {
        std::fill (l.begin(), l.end(), 0.0f);
        std::fill (r.begin(), r.end(), 0.0f);
        echo.process (send.data(), l.data(), r.data(), 512, s);
        ASSERT_TRUE (test::allFinite (l) && test::allFinite (r));
        loudest = std::fmax (loudest, std::fmax (test::peak (l), test::peak (r)));
    }
    EXPECT_LE (loudest, 1.0f);
    EXPECT_GT (loudest, 0.5f);
}

TEST (OutputStage, PumpVolumeClipAndBadSamples)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // rest, kick, envelope
    const float rest[] = { 0.01f, 0.01f, 0.01f, nan, inf, -inf, 0.2f, 50.0f };
    const float kick[] = { 0.0f, 0.0f, 0.3f, 0.0f, 0.0f, 0.0f, nan, 0.0f };
    const float env[] = { 0.0f, 1.0f, 1.0f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f };
    float l[8], r[8];
    const float gain = 0.75f * 1.2f;
    outputStage (rest, rest, kick, kick, env, 0.55f, gain, l, r, 8);
    const auto busFrom = [gain] (float out) { return std::atanh (out / 0.9f) / (1.2f * gain); };

    EXPECT_NEAR (busFrom (l[1]) / busFrom (l[0]), 0.5325, 1e-4);   // ducked at the kick
    EXPECT_NEAR (busFrom (l[2]), 0.01 * 0.5325 + 0.3, 1e-4);       // the kick itself is not
    for (int i = 3; i < 7; ++i)
        EXPECT_EQ (l[i], 0.0f) << i;                                // non-finite in, silence out
    EXPECT_LE (l[7], 0.9f);
    EXPECT_GT (l[7], 0.899f);                                       // soft clip
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ (l[i], r[i]);

    // Volume 0 is exactly silent, even with garbage on the buses.
    outputStage (rest, rest, kick, kick, env, 0.55f, 0.0f, l, r, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ (l[i], 0.0f) << i;

    // Pump 0 does nothing; a mono output takes only the left.
    float mono[8];
    outputStage (rest, rest, kick, kick, env, 0.0f, gain, mono, nullptr, 8);
    EXPECT_FLOAT_EQ (busFrom (mono[1]), 0.01f);
}
