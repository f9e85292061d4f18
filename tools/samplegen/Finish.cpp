#include "Finish.h"

namespace samplegen
{

double loudestWindowDb (const Buf& b)
{
    const int w = frames (0.05), hop = frames (0.01), n = b.size();
    double best = 0;
    for (int s = 0; s < std::max (1, n - w + 1); s += hop)
    {
        double sum = 0; int cnt = 0;
        for (int i = s; i < std::min (n, s + w); ++i)
        {
            sum += b.l[(size_t) i] * b.l[(size_t) i]; ++cnt;
            if (b.stereo()) { sum += b.r[(size_t) i] * b.r[(size_t) i]; ++cnt; }
        }
        best = std::max (best, sum / std::max (cnt, 1));
    }
    return 10.0 * std::log10 (std::max (best, 1e-20));
}

namespace
{
double peakOf (const Buf& b)
{
    double p = 0;
    for (double v : b.l) p = std::max (p, std::fabs (v));
    for (double v : b.r) p = std::max (p, std::fabs (v));
    return p;
}

void level (Buf& b, double targetDb)
{
    // Never closer than 0.5 dB to full scale, so the 16-bit file cannot clip.
    const double ceiling = dbToGain (-0.5);
    double g = dbToGain (targetDb - loudestWindowDb (b));
    const double p = peakOf (b);
    if (p * g > ceiling) g = ceiling / p;
    b.scale (g);
}
} // namespace

void finishOneShot (Buf& b, double targetDb, double maxSeconds)
{
    // A gentle 10 Hz high-pass first, so the level measure sees no offset.
    filterHigh (b, 10.0, 0.6);
    const double p = peakOf (b);
    if (p <= 0) return;
    int last = 0;
    for (int i = 0; i < b.size(); ++i)
        if (std::fabs (b.l[(size_t) i]) > p * 0.0005 || (b.stereo() && std::fabs (b.r[(size_t) i]) > p * 0.0005))
            last = i;
    const int maxN = frames (maxSeconds);
    int fade = frames (0.03);
    int n = last + fade;
    if (n > std::min (b.size(), maxN))
    {
        // Cut short by its length limit: a longer fade, heard as a designed ending.
        n = std::min (b.size(), maxN);
        fade = std::min (frames (0.4), n / 3);
    }
    b.resize (n);
    for (int i = 0; i < fade; ++i)
    {
        const double x = (double) (i + 1) / fade;   // 1 / fade ... 1
        const double g = 0.5 + 0.5 * std::cos (kPi * x);
        b.l[(size_t) (n - fade + i)] *= g;
        if (b.stereo()) b.r[(size_t) (n - fade + i)] *= g;
    }
    // What offset remains goes out under a Hann window, so the ends stay at zero.
    for (int ch = 0; ch < (b.stereo() ? 2 : 1); ++ch)
    {
        auto& v = ch == 0 ? b.l : b.r;
        double mean = 0, wsum = 0;
        for (double x : v) mean += x;
        for (int i = 0; i < n; ++i) wsum += 0.5 - 0.5 * std::cos (kTwoPi * i / n);
        mean /= n;
        const double k = mean * n / std::max (wsum, 1e-9);
        for (int i = 0; i < n; ++i) v[(size_t) i] -= k * (0.5 - 0.5 * std::cos (kTwoPi * i / n));
    }
    level (b, targetDb);
}

void finishLoop (Buf& b, int n, double targetDb)
{
    // Anything ringing past the end belongs to the start: the loop repeats.
    for (int i = n; i < b.size(); ++i)
    {
        b.l[(size_t) (i % n)] += b.l[(size_t) i];
        if (b.stereo()) b.r[(size_t) (i % n)] += b.r[(size_t) i];
    }
    b.resize (n);
    for (int ch = 0; ch < (b.stereo() ? 2 : 1); ++ch)
    {
        auto& v = ch == 0 ? b.l : b.r;
        // High-pass around the loop twice, keeping the settled second pass.
        Svf f; f.set (10.0, 0.6);
        for (int i = 0; i < n; ++i) f.hp (v[(size_t) i]);
        for (int i = 0; i < n; ++i) v[(size_t) i] = f.hp (v[(size_t) i]);
        double mean = 0;
        for (double x : v) mean += x;
        mean /= n;
        for (double& x : v) x -= mean;
    }
    level (b, targetDb);
}

std::vector<std::int32_t> toPcm16 (const Buf& b)
{
    const int ch = b.stereo() ? 2 : 1;
    std::vector<std::int32_t> out ((size_t) (b.size() * ch));
    for (int i = 0; i < b.size(); ++i)
        for (int c = 0; c < ch; ++c)
        {
            const double v = (c == 0 ? b.l : b.r)[(size_t) i];
            out[(size_t) (i * ch + c)] = (std::int32_t) std::clamp (std::lround (v * 32767.0), -32767l, 32767l);
        }
    return out;
}

} // namespace samplegen
