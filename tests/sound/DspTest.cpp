#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Measure.h"
#include "sound/Dsp.h"

using namespace grum;
using grum::test::rms;

namespace
{
// Steady-state gain of one filter output for a sine at `hz`.
template <typename Output>
double gainAt (double hz, float cutoff, float damping, float rate, Output output)
{
    dsp::Svf f;
    f.set (cutoff, damping, rate);
    const int n = (int) rate;   // one second: the transient is long gone by the second half
    const std::vector<float> x = test::sine (hz, rate, n);
    std::vector<float> y ((size_t) n);
    for (int i = 0; i < n; ++i)
        y[(size_t) i] = output (f, x[(size_t) i]);
    return rms (y, n / 2, n) / rms (x, n / 2, n);
}

const auto lowPass = [] (dsp::Svf& f, float x) { return f.lowPass (x); };
const auto highPass = [] (dsp::Svf& f, float x) { return f.highPass (x); };
const auto bandPass = [] (dsp::Svf& f, float x) { return f.bandPass (x); };
} // namespace

TEST (StateVariableFilter, ResponseAtAndAroundTheCutoff)
{
    // Damping sqrt(2) is a Butterworth response: -3 dB at the cutoff for
    // both low- and high-pass; the band-pass peaks at 1/k there.
    const float rate = 48000.0f;
    EXPECT_NEAR (gainAt (1000.0, 1000.0f, 1.4142136f, rate, lowPass), 0.7071, 0.005);
    EXPECT_NEAR (gainAt (1000.0, 1000.0f, 1.4142136f, rate, highPass), 0.7071, 0.005);
    EXPECT_NEAR (gainAt (2000.0, 2000.0f, 0.5f, rate, bandPass), 2.0, 0.02);

    // Two octaves away a two-pole filter is down about 24 dB.
    EXPECT_LT (gainAt (4000.0, 1000.0f, 1.4142136f, rate, lowPass), 0.07);
    EXPECT_LT (gainAt (250.0, 1000.0f, 1.4142136f, rate, highPass), 0.07);
    EXPECT_NEAR (gainAt (100.0, 1000.0f, 1.4142136f, rate, lowPass), 1.0, 0.01);
}

TEST (StateVariableFilter, CutoffIsKeptBetween15HzAnd045TimesTheRate)
{
    const auto coefficientsFor = [] (float fc, float rate)
    {
        dsp::Svf f;
        f.set (fc, 1.0f, rate);
        return f.a1;
    };
    // Above the limit: the same filter as at 0.45 x rate (3600 Hz at 8 kHz).
    EXPECT_EQ (coefficientsFor (11500.0f, 8000.0f), coefficientsFor (3600.0f, 8000.0f));
    EXPECT_NE (coefficientsFor (3500.0f, 8000.0f), coefficientsFor (3600.0f, 8000.0f));
    // Below 15 Hz, zero, negative or NaN: exactly 15 Hz.
    for (float low : { 10.0f, 0.0f, -100.0f, std::nanf ("") })
        EXPECT_EQ (coefficientsFor (low, 44100.0f), coefficientsFor (15.0f, 44100.0f)) << low;
}

TEST (Coefficients, DecayFallsSixtyDecibelsInItsTime)
{
    for (float rate : { 8000.0f, 44100.0f, 96000.0f })
        for (float seconds : { 0.004f, 0.22f, 1.2f })
        {
            const float c = dsp::decayCoefficient (seconds, rate);
            float level = 1.0f;
            const int n = (int) std::lround (seconds * rate);
            for (int i = 0; i < n; ++i)
                level *= c;
            // -6.9 nepers over the whole time, for the whole samples of it.
            const double expected = -6.9 * 20.0 / std::log (10.0) * n / (seconds * rate);
            EXPECT_NEAR (20.0 * std::log10 (level), expected, 0.05) << seconds << " s at " << rate;
        }
    // A time shorter than one sample still decays, never grows.
    EXPECT_NEAR (dsp::decayCoefficient (0.0f, 44100.0f), std::exp (-6.9f), 1e-7);

    // Smoothing reaches 1 - 1/e of a step after one time constant.
    const float s = dsp::smoothingCoefficient (0.002f, 48000.0f);
    float level = 0.0f;
    for (int i = 0; i < 96; ++i)
        level += (1.0f - level) * s;
    EXPECT_NEAR (level, 1.0 - std::exp (-1.0), 1e-3);
}

TEST (Noise, RepeatsFromItsSeedAndStaysInRange)
{
    dsp::Noise a, b;
    double sum = 0.0, squares = 0.0;
    const int n = 100000;
    for (int i = 0; i < n; ++i)
    {
        const float x = a.next();
        ASSERT_EQ (x, b.next());
        ASSERT_GE (x, -1.0f);
        ASSERT_LT (x, 1.0f);
        sum += x;
        squares += (double) x * x;
    }
    EXPECT_NEAR (sum / n, 0.0, 0.01);
    EXPECT_NEAR (squares / n, 1.0 / 3.0, 0.01);   // uniform over -1..1
}

TEST (BandLimitedSaw, HasNoStepAtTheWrap)
{
    // A naive saw jumps by 2 at every wrap; the corrected one moves by a
    // fraction of that, on both sides of the wrap.
    const float dt = 0.05f;
    float phase = 0.0f, previous = 0.0f, largestStep = 0.0f;
    for (int i = 0; i < 400; ++i)
    {
        phase = dsp::advance (phase, dt);
        const float y = dsp::saw (phase, dt);
        if (i > 0)
            largestStep = std::fmax (largestStep, std::fabs (y - previous));
        previous = y;
    }
    EXPECT_LT (largestStep, 1.2f);
}

TEST (FastTanh, StaysWithinAFewUlpsEverywhere)
{
    double worst = 0.0;
    for (float x = -12.0f; x <= 12.0f; x += 3e-5f)
    {
        const double exact = std::tanh ((double) x);
        const double ulp = std::fmax (std::fabs (exact), 1e-30) * 5.96e-8;
        worst = std::fmax (worst, std::fabs (dsp::tanh (x) - exact) / ulp);
    }
    EXPECT_LT (worst, 4.0);
    EXPECT_EQ (dsp::tanh (0.0f), 0.0f);
    EXPECT_EQ (dsp::tanh (1e30f), 1.0f);
    EXPECT_EQ (dsp::tanh (-1e30f), -1.0f);
    EXPECT_TRUE (std::isnan (dsp::tanh (std::nanf (""))));
}
