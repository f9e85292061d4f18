#pragma once

// Small measuring tools for the sound tests: they look at rendered audio the
// way an ear or an analyser would, never at an engine's insides.

#include <cmath>
#include <vector>

namespace grum::test
{

// Frequency from the rising zero crossings in x[from, to).
inline double zeroCrossingHz (const std::vector<float>& x, int from, int to, double sampleRate)
{
    int count = 0;
    double firstAt = 0.0, lastAt = 0.0;
    for (int i = from + 1; i < to; ++i)
        if (x[(size_t) i - 1] < 0.0f && x[(size_t) i] >= 0.0f)
        {
            // Interpolate the crossing between the two samples.
            const double a = x[(size_t) i - 1], b = x[(size_t) i];
            const double at = (i - 1) + a / (a - b);
            if (count == 0)
                firstAt = at;
            lastAt = at;
            ++count;
        }
    if (count < 2)
        return 0.0;
    return (count - 1) * sampleRate / (lastAt - firstAt);
}

inline double rms (const float* x, int n)
{
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += (double) x[i] * x[i];
    return n > 0 ? std::sqrt (sum / n) : 0.0;
}

inline double rms (const std::vector<float>& x, int from, int to)
{
    return rms (x.data() + from, to - from);
}

inline float peak (const std::vector<float>& x)
{
    float p = 0.0f;
    for (float v : x)
        p = std::fmax (p, std::fabs (v));
    return p;
}

inline bool allFinite (const std::vector<float>& x)
{
    for (float v : x)
        if (! std::isfinite (v))
            return false;
    return true;
}

// A sine of `hz` at amplitude 1.
inline std::vector<float> sine (double hz, double sampleRate, int n)
{
    std::vector<float> x ((size_t) n);
    for (int i = 0; i < n; ++i)
        x[(size_t) i] = (float) std::sin (2.0 * 3.14159265358979323846 * hz * i / sampleRate);
    return x;
}

} // namespace grum::test
