#pragma once

// The small signal-processing blocks every engine and effect shares: decay and
// smoothing coefficients, the xorshift noise source, phase accumulators, the
// band-limited saw correction and the state-variable filter. All 32-bit float,
// header-only so the per-sample parts inline into the engines' loops.

#include <cmath>
#include <cstdint>

namespace grum::dsp
{

constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.28318530717959f;

// Level multiplier per sample that falls by about 60 dB in `seconds`.
inline float decayCoefficient (float seconds, float sampleRate) noexcept
{
    const float samples = seconds * sampleRate;
    return std::exp (-6.9f / (samples > 1.0f ? samples : 1.0f));
}

// One-pole smoothing step for a time constant of `seconds`:
// level += (target - level) * s.
inline float smoothingCoefficient (float seconds, float sampleRate) noexcept
{
    return 1.0f - std::exp (-1.0f / (seconds * sampleRate));
}

inline float clampf (float x, float lo, float hi) noexcept
{
    return x < lo ? lo : (x > hi ? hi : x);
}

// A phase in 0..1 advanced by `increment`, wrapped once.
inline float advance (float phase, float increment) noexcept
{
    phase += increment;
    if (phase >= 1.0f)
        phase -= 1.0f;
    return phase;
}

// Hyperbolic tangent to within a few float ulps, at a fraction of the cost of
// the library's (every engine saturates with it, per sample, and it was most
// of the mix's time). Odd Taylor series below 0.5, where it needs nine terms;
// above, 1 - 2 / (e^2|x| + 1), which has no cancellation there. Large
// arguments give exactly +-1, NaN stays NaN.
inline float tanh (float x) noexcept
{
    const float a = std::fabs (x);
    if (a < 0.5f)
    {
        const float x2 = x * x;
        float p = -443861162.0f / 1856156927625.0f;
        p = p * x2 + 6404582.0f / 10854718875.0f;
        p = p * x2 - 929569.0f / 638512875.0f;
        p = p * x2 + 21844.0f / 6081075.0f;
        p = p * x2 - 1382.0f / 155925.0f;
        p = p * x2 + 62.0f / 2835.0f;
        p = p * x2 - 17.0f / 315.0f;
        p = p * x2 + 2.0f / 15.0f;
        p = p * x2 - 1.0f / 3.0f;
        return x + x * x2 * p;
    }
    const float t = 1.0f - 2.0f / (std::exp (2.0f * a) + 1.0f);
    return std::copysign (t, x);
}

// Rounds to the nearest integer, halves away from zero (the crushers' grid).
inline float nearest (float x) noexcept { return std::round (x); }

//==============================================================================
// 32-bit xorshift. One per engine, seeded once and never reseeded, so every
// engine's noise is the same sequence on every run.
struct Noise
{
    std::uint32_t state = 0x1234567u;

    float next() noexcept
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (float) (std::int32_t) state * (1.0f / 2147483648.0f);
    }
};

//==============================================================================
// Correction that takes the step out of a naive saw at the wrap, for a phase p
// advancing by dt per sample.
inline float blep (float p, float dt) noexcept
{
    if (p < dt)
    {
        const float t = p / dt;
        return t + t - t * t - 1.0f;
    }
    if (p > 1.0f - dt)
    {
        const float t = (p - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

// Band-limited saw of an already advanced and wrapped phase.
inline float saw (float p, float dt) noexcept
{
    return 2.0f * p - 1.0f - blep (p, dt);
}

//==============================================================================
// Trapezoidal (zero-delay) state-variable filter. Coefficients are set at the
// points each user states; the per-sample step is a handful of multiplies.
struct Svf
{
    float a1 = 0.0f, a2 = 0.0f, a3 = 0.0f, k = 1.0f;
    float z1 = 0.0f, z2 = 0.0f;
    float band = 0.0f, low = 0.0f;

    // The cutoff is kept within 15 Hz .. 0.45 * sampleRate; anything below
    // 15 Hz (a NaN included) becomes exactly 15 Hz.
    static float clampCutoff (float fc, float sampleRate) noexcept
    {
        if (! (fc >= 15.0f))
            fc = 15.0f;
        const float top = 0.45f * sampleRate;
        return fc > top ? top : fc;
    }

    void set (float fc, float damping, float sampleRate) noexcept
    {
        fc = clampCutoff (fc, sampleRate);
        const float g = std::tan (kPi * fc / sampleRate);
        k = damping;
        a1 = 1.0f / (1.0f + g * (g + damping));
        a2 = g * a1;
        a3 = g * a2;
    }

    void copyCoefficients (const Svf& other) noexcept
    {
        a1 = other.a1;
        a2 = other.a2;
        a3 = other.a3;
        k = other.k;
    }

    void clear() noexcept { z1 = z2 = band = low = 0.0f; }

    // Runs one sample; afterwards `band` and `low` hold this sample's outputs.
    void tick (float x) noexcept
    {
        const float d = x - z2;
        band = a1 * z1 + a2 * d;
        low = z2 + a2 * z1 + a3 * d;
        z1 = 2.0f * band - z1;
        z2 = 2.0f * low - z2;
    }

    float lowPass (float x) noexcept { tick (x); return low; }
    float bandPass (float x) noexcept { tick (x); return band; }
    float highPass (float x) noexcept { tick (x); return x - k * band - low; }

    bool silent() const noexcept { return z1 == 0.0f && z2 == 0.0f; }
};

} // namespace grum::dsp
