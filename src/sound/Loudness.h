#pragma once

// Integrated loudness after ITU-R BS.1770 (LUFS) and the sample peak (dBFS)
// of a mono or stereo signal, fed chunk by chunk.
//
//  - K-weighting: a high shelf (+4 dB above about 1.7 kHz) then the RLB
//    high-pass (about 38 Hz), both derived for the meter's sample rate from
//    their analogue prototypes, so 44.1 kHz, 96 kHz or any other rate reads
//    the same as 48 kHz.
//  - Gating blocks of 400 ms with 75 % overlap (a new block every 100 ms);
//    a block's loudness is -0.691 + 10 log10 (sum of the channels' mean
//    squares), every channel weighted 1.0.
//  - Absolute gate at -70 LUFS, then a relative gate 10 LU below the
//    loudness of the blocks that passed it.
//
// The gated blocks are kept as a histogram of block loudness (0.01 LU bins
// from -70 to +30 LUFS, each holding the bin's summed power and its block
// count), so the meter takes any length of audio in fixed memory. The
// relative gate is exact except for blocks within 0.01 LU of the gate, whose
// bin is judged by its mean.
//
// Everything is allocated in the constructor; process() never allocates.
// One thread at a time.

#include <cstdint>
#include <vector>

namespace grum
{

// One biquad stage in direct form I, in double precision.
struct Biquad
{
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

    double process (double x) noexcept
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
    void reset() noexcept { x1 = x2 = y1 = y2 = 0.0; }
};

// The K-weighting pre-filter of one channel: shelf, then high-pass.
class KWeighting
{
public:
    explicit KWeighting (double sampleRate);

    double process (double x) noexcept { return highPass.process (shelf.process (x)); }
    void reset() noexcept
    {
        shelf.reset();
        highPass.reset();
    }

    const Biquad& shelfStage() const noexcept { return shelf; }
    const Biquad& highPassStage() const noexcept { return highPass; }

private:
    Biquad shelf, highPass;
};

class LoudnessMeter
{
public:
    // channels: 1 or 2.
    LoudnessMeter (double sampleRate, int channels);

    // Feeds n samples; `right` is ignored by a mono meter. Never allocates.
    void process (const float* left, const float* right, int n) noexcept;

    // Integrated loudness in LUFS of everything fed so far. When no 400 ms
    // block passes the absolute gate (digital silence, under 400 ms of audio,
    // or nothing above -70 LUFS) there is no level: -infinity, and
    // hasLevel() is false.
    double integratedLufs() const noexcept;
    bool hasLevel() const noexcept;

    // The largest |sample| fed so far, in dBFS; -infinity for digital silence.
    double samplePeakDb() const noexcept;
    float samplePeak() const noexcept { return peak; }

    // Complete 400 ms blocks measured so far (before gating).
    std::int64_t blocks() const noexcept { return blockCount; }

    // Back to the state after construction.
    void reset() noexcept;

private:
    static constexpr int kStepsPerBlock = 4;        // 400 ms in steps of 100 ms

    void endStep() noexcept;

    int channels;
    int stepLength;                 // samples in 100 ms
    KWeighting filter[2];
    double stepPower = 0.0;         // sum over channels of squared K-weighted samples in this step
    int stepFill = 0;
    double steps[kStepsPerBlock] {};    // the last four steps' summed squares
    int stepsSeen = 0;
    std::int64_t blockCount = 0;
    float peak = 0.0f;

    // The absolute-gated blocks by loudness.
    std::vector<double> binPower;           // summed mean-square power of the bin's blocks
    std::vector<std::int64_t> binBlocks;
};

} // namespace grum
