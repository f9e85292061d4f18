#pragma once

// Measuring tools for the sample tests: they judge recordings and rendered
// audio the way a listener's analyser would.

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace grum::test
{

constexpr double kPiD = 3.14159265358979323846;

// Frequency from the rising zero crossings in x[from, to).
inline double crossingHz (const std::vector<float>& x, int from, int to, double sampleRate)
{
    int count = 0;
    double first = 0.0, last = 0.0;
    for (int i = std::max (from, 0) + 1; i < std::min (to, (int) x.size()); ++i)
        if (x[(size_t) i - 1] < 0.0f && x[(size_t) i] >= 0.0f)
        {
            const double a = x[(size_t) i - 1], b = x[(size_t) i];
            const double at = (i - 1) + a / (a - b);
            if (count++ == 0)
                first = at;
            last = at;
        }
    return count < 2 ? 0.0 : (count - 1) * sampleRate / (last - first);
}

// Magnitude spectrum of x[from, from + length) under a Hann window, zero-padded
// to a power of two of at least minSize. Bin k is k * sampleRate / size Hz.
inline std::vector<double> magnitudeSpectrum (const std::vector<float>& x, int from, int length, int minSize)
{
    from = std::clamp (from, 0, (int) x.size());
    length = std::clamp (length, 0, (int) x.size() - from);
    int n = 1;
    while (n < std::max (minSize, length))
        n <<= 1;
    std::vector<std::complex<double>> a ((size_t) n);
    for (int i = 0; i < length; ++i)
        a[(size_t) i] = x[(size_t) (from + i)] * (0.5 - 0.5 * std::cos (2.0 * kPiD * i / std::max (length - 1, 1)));
    for (int i = 1, j = 0; i < n; ++i)   // bit reversal
    {
        int bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap (a[(size_t) i], a[(size_t) j]);
    }
    for (int len = 2; len <= n; len <<= 1)
    {
        const std::complex<double> w (std::cos (-2.0 * kPiD / len), std::sin (-2.0 * kPiD / len));
        for (int i = 0; i < n; i += len)
        {
            std::complex<double> wk (1.0, 0.0);
            for (int k = 0; k < len / 2; ++k, wk *= w)
            {
                const auto u = a[(size_t) (i + k)], v = a[(size_t) (i + k + len / 2)] * wk;
                a[(size_t) (i + k)] = u + v;
                a[(size_t) (i + k + len / 2)] = u - v;
            }
        }
    }
    std::vector<double> mag ((size_t) n / 2);
    for (int k = 0; k < n / 2; ++k)
        mag[(size_t) k] = std::abs (a[(size_t) k]);
    return mag;
}

// The lowest clear spectral peak: the lowest prominent maximum above minHz
// within rangeDb of the strongest component, refined by parabolic interpolation. For a
// note this is its fundamental, for a chord voiced from the root its root.
inline double lowestPeakHz (const std::vector<double>& mag, double binHz, double minHz, double rangeDb)
{
    double top = 0.0;
    const int first = std::max (2, (int) (minHz / binHz));
    for (int k = first; k < (int) mag.size(); ++k)
        top = std::max (top, mag[(size_t) k]);
    const double floor = top * std::pow (10.0, -rangeDb / 20.0);
    for (int k = first; k + 1 < (int) mag.size(); ++k)
    {
        const double m = mag[(size_t) k];
        if (m < floor || m < mag[(size_t) k - 1] || m <= mag[(size_t) k + 1])
            continue;
        // A real partial towers over its neighbourhood (a semitone and a bit
        // either side); window side lobes and decay smear do not.
        const int reach = std::max (2, (int) (0.08 * k));
        bool prominent = true;
        for (int j = std::max (1, k - reach); j <= std::min ((int) mag.size() - 1, k + reach) && prominent; ++j)
            prominent = mag[(size_t) j] <= m;
        if (prominent)
        {
            const double a = std::log (mag[(size_t) k - 1] + 1e-30), b = std::log (m + 1e-30), c = std::log (mag[(size_t) k + 1] + 1e-30);
            const double d = a - 2.0 * b + c;
            const double offset = d != 0.0 ? 0.5 * (a - c) / d : 0.0;
            return (k + offset) * binHz;
        }
    }
    return 0.0;
}

// Power-weighted mean frequency.
inline double centroidHz (const std::vector<double>& mag, double binHz)
{
    double num = 0.0, den = 0.0;
    for (size_t k = 1; k < mag.size(); ++k)
    {
        const double p = mag[k] * mag[k];
        num += p * (double) k * binHz;
        den += p;
    }
    return den > 0.0 ? num / den : 0.0;
}

// Pitch class 0..11 of a frequency and how far it is from that note, in cents.
inline int pitchClassOf (double hz, double* cents = nullptr)
{
    const double midi = 69.0 + 12.0 * std::log2 (hz / 440.0);
    const double nearest = std::round (midi);
    if (cents != nullptr)
        *cents = 100.0 * (midi - nearest);
    return ((int) nearest % 12 + 12) % 12;
}

inline double dbOf (double gain) { return 20.0 * std::log10 (std::max (gain, 1e-12)); }

// RMS of the loudest 50 ms (the level a hit is heard at), in dBFS.
inline double loudestWindowDb (const std::vector<float>& l, const std::vector<float>& r, double sampleRate)
{
    const int w = (int) (0.05 * sampleRate), hop = (int) (0.01 * sampleRate), n = (int) l.size();
    double best = 0.0;
    for (int s = 0; s < std::max (1, n - w + 1); s += hop)
    {
        double sum = 0.0;
        int count = 0;
        for (int i = s; i < std::min (n, s + w); ++i)
        {
            sum += (double) l[(size_t) i] * l[(size_t) i];
            ++count;
            if (! r.empty())
            {
                sum += (double) r[(size_t) i] * r[(size_t) i];
                ++count;
            }
        }
        best = std::max (best, sum / std::max (count, 1));
    }
    return 10.0 * std::log10 (std::max (best, 1e-24));
}

} // namespace grum::test
