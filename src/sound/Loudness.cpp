#include "sound/Loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace grum
{

namespace
{
constexpr double kPi = 3.14159265358979323846;

// The analogue prototypes of the two K-weighting stages. Mapped through the
// bilinear transform with the frequency pre-warped at f0, they give the
// published 48 kHz coefficients to within 1e-8, and the same curve at any
// other rate.
constexpr double kShelfHz = 1681.974450955533;
constexpr double kShelfGainDb = 3.999843853973347;
constexpr double kShelfQ = 0.7071752369554196;
constexpr double kHighPassHz = 38.13547087602444;
constexpr double kHighPassQ = 0.5003270373238773;

constexpr double kBlockOffset = -0.691;     // makes a 997 Hz sine read its own level
constexpr double kAbsoluteGate = -70.0;     // LUFS
constexpr double kRelativeGate = -10.0;     // LU below the absolute-gated loudness

constexpr double kBinWidth = 0.01;          // LU
constexpr double kTopLufs = 30.0;           // louder blocks share the top bin
constexpr int kBins = (int) ((kTopLufs - kAbsoluteGate) / kBinWidth);

double lufsOf (double meanSquare) noexcept
{
    return kBlockOffset + 10.0 * std::log10 (meanSquare);
}
} // namespace

KWeighting::KWeighting (double sampleRate)
{
    {
        const double k = std::tan (kPi * kShelfHz / sampleRate);
        const double vh = std::pow (10.0, kShelfGainDb / 20.0);
        const double vb = std::pow (vh, 0.4996667741545416);
        const double a0 = 1.0 + k / kShelfQ + k * k;
        shelf.b0 = (vh + vb * k / kShelfQ + k * k) / a0;
        shelf.b1 = 2.0 * (k * k - vh) / a0;
        shelf.b2 = (vh - vb * k / kShelfQ + k * k) / a0;
        shelf.a1 = 2.0 * (k * k - 1.0) / a0;
        shelf.a2 = (1.0 - k / kShelfQ + k * k) / a0;
    }
    {
        // The published high-pass keeps an unnormalised numerator (1, -2, 1):
        // its pass-band gain is a hair above 1, and the -0.691 offset assumes it.
        const double k = std::tan (kPi * kHighPassHz / sampleRate);
        const double a0 = 1.0 + k / kHighPassQ + k * k;
        highPass.b0 = 1.0;
        highPass.b1 = -2.0;
        highPass.b2 = 1.0;
        highPass.a1 = 2.0 * (k * k - 1.0) / a0;
        highPass.a2 = (1.0 - k / kHighPassQ + k * k) / a0;
    }
}

LoudnessMeter::LoudnessMeter (double sampleRate, int channelCount)
    : channels (std::clamp (channelCount, 1, 2)),
      stepLength (std::max (1, (int) std::lround (sampleRate * 0.1))),
      filter { KWeighting (sampleRate), KWeighting (sampleRate) },
      binPower ((size_t) kBins, 0.0),
      binBlocks ((size_t) kBins, 0)
{
}

void LoudnessMeter::reset() noexcept
{
    for (auto& f : filter)
        f.reset();
    stepPower = 0.0;
    stepFill = 0;
    std::fill (std::begin (steps), std::end (steps), 0.0);
    stepsSeen = 0;
    blockCount = 0;
    peak = 0.0f;
    std::fill (binPower.begin(), binPower.end(), 0.0);
    std::fill (binBlocks.begin(), binBlocks.end(), 0);
}

void LoudnessMeter::process (const float* left, const float* right, int n) noexcept
{
    const float* in[2] = { left, channels == 2 ? right : nullptr };
    int done = 0;
    while (done < n)
    {
        const int take = std::min (n - done, stepLength - stepFill);
        for (int ch = 0; ch < channels; ++ch)
        {
            const float* x = in[ch] + done;
            auto& f = filter[ch];
            double sum = 0.0;
            float p = peak;
            for (int i = 0; i < take; ++i)
            {
                const double y = f.process ((double) x[i]);
                sum += y * y;
                p = std::fmax (p, std::fabs (x[i]));
            }
            stepPower += sum;
            peak = p;
        }
        stepFill += take;
        done += take;
        if (stepFill == stepLength)
            endStep();
    }
}

void LoudnessMeter::endStep() noexcept
{
    steps[stepsSeen % kStepsPerBlock] = stepPower;
    ++stepsSeen;
    stepPower = 0.0;
    stepFill = 0;
    if (stepsSeen < kStepsPerBlock)
        return;
    if (stepsSeen >= 2 * kStepsPerBlock)
        stepsSeen -= kStepsPerBlock;     // keep the ring index small; only "full" matters

    double sum = 0.0;
    for (double s : steps)
        sum += s;
    ++blockCount;
    const double meanSquare = sum / (double) (kStepsPerBlock * stepLength);
    if (! (meanSquare > 0.0))
        return;
    const double lufs = lufsOf (meanSquare);
    if (! (lufs > kAbsoluteGate))
        return;
    const int bin = std::clamp ((int) std::floor ((lufs - kAbsoluteGate) / kBinWidth), 0, kBins - 1);
    binPower[(size_t) bin] += meanSquare;
    ++binBlocks[(size_t) bin];
}

double LoudnessMeter::integratedLufs() const noexcept
{
    double power = 0.0;
    std::int64_t count = 0;
    for (int b = 0; b < kBins; ++b)
    {
        power += binPower[(size_t) b];
        count += binBlocks[(size_t) b];
    }
    if (count == 0)
        return -std::numeric_limits<double>::infinity();

    const double gate = lufsOf (power / (double) count) + kRelativeGate;
    double gatedPower = 0.0;
    std::int64_t gatedCount = 0;
    for (int b = 0; b < kBins; ++b)
    {
        const auto blocksHere = binBlocks[(size_t) b];
        if (blocksHere > 0 && lufsOf (binPower[(size_t) b] / (double) blocksHere) > gate)
        {
            gatedPower += binPower[(size_t) b];
            gatedCount += blocksHere;
        }
    }
    // The loudest block is never below the mean, so something always passes.
    return gatedCount > 0 ? lufsOf (gatedPower / (double) gatedCount) : -std::numeric_limits<double>::infinity();
}

bool LoudnessMeter::hasLevel() const noexcept
{
    return std::isfinite (integratedLufs());
}

double LoudnessMeter::samplePeakDb() const noexcept
{
    return peak > 0.0f ? 20.0 * std::log10 ((double) peak) : -std::numeric_limits<double>::infinity();
}

} // namespace grum
